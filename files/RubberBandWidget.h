#pragma once

#include "PageTrash.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>

class FlowLayout;
class ImageUnitView;
class QMenu;
class QRubberBand;
class ThumbnailLoader;

// The preview sheet: one frame per page of a folder, wrapped into rows. A
// drag of at least 100 pixels draws a rubber band and offers to check or
// uncheck the pages wholly inside it. Frames appear at once; their thumbnails
// arrive from the loader as they are decoded, the ones on screen first.
class RubberBandWidget : public QWidget
{
    Q_OBJECT
public:
    static const int kDragThreshold = 100;

    explicit RubberBandWidget(ThumbnailLoader* loader, QWidget* parent = nullptr);
    ~RubberBandWidget() override;

    // The image files of folder (no links, no hidden files): by name, upper
    // case before lower case, for sortIndex 0; by size, smallest first, for 1.
    static QStringList listPages(const QString& folder, int sortIndex);

    // Builds the frames of the first screen now and the rest in small batches
    // on the following turns of the event loop, so the window never waits long.
    void refreshView(const QString& folder, int sortIndex);
    bool framesComplete() const { return m_pending.isEmpty(); }
    // Builds the frames still waiting at once (before an operation on all pages).
    void finishFrames();
    // Asks the loader for the missing thumbnails of the frames from first on,
    // those inside visible first.
    void requestThumbnails(const QRect& visible, int first = 0);
    // Moves the thumbnails inside visible to the front of the loader's queue.
    void prioritise(const QRect& visible);
    PageTrash::Result deleteChecked(const PageTrash::AskPermanent& askPermanent);
    void setZoom(double f);
    void setOpenFile(const QString& path);
    void setAllChecked(bool checked);
    QStringList checkedPaths() const;
    const QList<ImageUnitView*>& units() const { return m_units; }
    ImageUnitView* cursorUnit() const { return m_units.value(m_cursor); }
    QMenu* menu() const { return m_menu; }

signals:
    void openRequested(const QString& path);    // double click: into the main view
    void enlargeRequested(const QString& path); // Enter: the large view
    void deleteRequested();
    void zoomRequested(int steps);
    // Frames from this index on were added to the sheet.
    void framesAdded(int first);
    // The keyboard's place moved onto this frame: the view scrolls to it.
    void cursorMoved(QWidget* unit);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void applyToBand(bool checked);
    void dropBand();
    void onThumbnail(const QString& key, const QImage& image);
    void moveCursor(int index);
    // Builds waiting frames for about budgetMs (all of them when negative).
    void addFrames(int budgetMs);
    int columns() const;

    ThumbnailLoader* m_loader;
    FlowLayout* m_flow;
    QMenu* m_menu;
    QRubberBand* m_band = nullptr;
    QPoint m_origin;
    QRect m_selection; // the band when the menu opened
    QList<ImageUnitView*> m_units;
    QMultiHash<QString, ImageUnitView*> m_byKey;
    QString m_openFile;
    QStringList m_pending; // pages whose frames are still to be built, in order
    double m_zoom = 1.0;
    int m_cursor = -1;
};
