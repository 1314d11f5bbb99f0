#pragma once

#include "PageNumberJob.h"
#include "stDisplayScale.h"
#include "stPageMargins.h"
#include "stPageNoInfo.h"

#include <QGraphicsScene>
#include <QList>
#include <QRect>
#include <QVector>

class EditTextItem;
class QGraphicsPixmapItem;
class QGraphicsRectItem;

// The scene of the image view. Scene coordinates are the pixels of the
// displayed (scaled) image, which sits at (0, 0). The fixed items live for the
// whole run and are marked by a string under item data key 0: the image
// ("bg"), the margin frame ("margin"), the four corner markers ("dot", index
// under key 1: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left) and the
// page-number text; floating pasted regions are marked "roiImage".
class PageScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit PageScene(QObject* parent = nullptr);

    // Creates the fixed items once; later calls do nothing.
    void addFixedItems(const stPageNoInfo& pageNo);

    QGraphicsPixmapItem* imageItem() const { return m_image; }
    QGraphicsRectItem* marginItem() const { return m_margin; }
    EditTextItem* pageNoItem() const { return m_pageNo; }
    QGraphicsRectItem* marker(int index) const;

    // Shows an already scaled image and makes the scene exactly its size;
    // a null image empties the image item.
    void setDisplayedImage(const QImage& scaled);
    // The page as displayed: (0, 0, displayed width, displayed height).
    QRectF pageRect() const;

    // Margin frame: the page less the margins (mm) at the image's resolution,
    // scaled to the display and truncated to whole display pixels.
    void setMarginFrame(const stPageMargins& marginsMM, int dpiX, int dpiY,
                        const stDisplayScale& scale);
    void setMarginFrameVisible(bool visible);

    // Page-number font from the record: weight, italic, underline, strike-out,
    // and the size in millimetres as pixels at dpiX times the zoom, truncated.
    void applyPageNoStyle(const stPageNoInfo& pageNo, int dpiX, double zoom);
    // One font property as the page-number dialog reports it: 1 family,
    // 2 size (mm), 3 bold, 4 italic, 5 underline, 6 strike-out.
    void setPageNoFontProperty(int type, const QVariant& value, int dpiX, double zoom);
    void setPageNoText(const QString& text);
    // Places the page-number text in one of the six areas ("左上", "中上",
    // "右上", "左下", "中下", "右下") with margins in mm at the image's
    // resolution, scaled by the zoom and truncated; an unknown area keeps the
    // current position.
    void placePageNo(const QString& area, int marginHorMM, int marginVerMM, int dpiX, int dpiY,
                     double zoom);
    // Both of the above from the record, and the margin frame, as every
    // display of an image needs them.
    void applyPageSettings(const stPageMargins& marginsMM, const stPageNoInfo& pageNo, int dpiX,
                           int dpiY, const stDisplayScale& scale);
    // Font, position, height and page rectangle for a numbering run; the
    // caller fills in the files and the numbering record.
    PageNumberJob pageNumberSnapshot() const;

    // Puts the markers on the page corners; their visibility is the view's.
    void placeMarkersAtCorners();
    // Marker positions rounded to whole pixels, in index order.
    QVector<QPoint> markerPositions() const;

    // A region being placed by copy or paste: movable and selectable.
    void addRoiImage(const QPixmap& pixmap, const QPointF& pos, bool selected);
    // Removes every floating region and returns each one's rectangle
    // (rounded position, pixmap size).
    QList<QRect> takeRoiImages();

private:
    QGraphicsPixmapItem* m_image = nullptr;
    QGraphicsRectItem* m_margin = nullptr;
    EditTextItem* m_pageNo = nullptr;
    QList<QGraphicsRectItem*> m_markers;
};
