#pragma once

#include "PageNumberJob.h"
#include "stDisplayScale.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVariant>
#include <opencv2/core.hpp>

class CurrentImage;
class PageScene;

// Turns toolbar intents and finished view gestures into operations on the
// current image. Holds the gesture state: which operation a finished gesture
// runs (the last operation id), the view's draw mode, the checked rectangle
// mode, the clipboard of the region copy and whether a paste is being placed.
// Scene points are display pixels; they reach the engine as full-image pixels
// (x * full width / displayed width, truncated). Needs no widget: the view,
// the markers' visibility and the confirmation row follow its signals.
class GestureController : public QObject
{
    Q_OBJECT
public:
    // clipboard is the storage the engine's paste reads (the owner hands the
    // same matrix to DispatcherEngine::forImage).
    GestureController(CurrentImage& image, PageScene& scene, cv::Mat& clipboard,
                      QObject* parent = nullptr);

    int lastOperation() const { return m_lastOperation; }
    int drawMode() const { return m_drawMode; }
    int checkedRectangleMode() const { return m_checkedRect; }
    bool pasting() const { return m_pasting; }
    bool twoStepActive() const { return m_twoStep; }
    // The region copied last (full-image pixels); the paste operation's source.
    const cv::Mat& clipboard() const { return m_clipboard; }

    // Full-image pixels of a scene point for an image of size full shown as
    // item (both axes scaled separately, truncated toward zero).
    static QPoint toImage(const QPoint& scenePoint, const QSize& full, const QSizeF& item);
    // Direction of the line from first to second in degrees, as atan2 gives
    // it (-180 to 180; a right-to-left line is near 180).
    static double lineAngle(const QPoint& first, const QPoint& second);
    QPoint toImagePixels(const QPoint& scenePoint) const;
    // Displayed size over full size per axis, from the page as the scene shows it.
    stDisplayScale displayScale() const;

    // Operation 42's value: the page-number item's text, its font scaled to
    // the image and the top-left (image pixels) that centres the text in the
    // item's box scaled to the image. Invalid without an image.
    QVariant pageNumberValue() const;
    // A folder-wide numbering run from what the scene shows now.
    static PageNumberJob pageNumberJob(const PageScene& scene, const QStringList& files,
                                       const stPageNoInfo& pageNo);

public slots:
    // A rectangle mode (26, 27, 53) was checked or unchecked.
    void onRectangleModeToggled(int optId, bool checked);
    // 12 arms the line gesture, 36 and 37 the rectangle gesture.
    void arm(int optId);
    void onRoiFinished(const QPoint& first, const QPoint& second);
    void startFourPoint();
    void startRegionCopy();
    void startPaste();
    void confirm();
    void cancel();

signals:
    void drawModeChanged(int mode);
    void markersVisibleChanged(bool visible);
    // A two-step operation started (true) or ended (false).
    void twoStepChanged(bool active);
    // Connected (directly) to the owner's executeOperation.
    void executeRequested(int optId, bool run, const QVariant& param);

private:
    QSize fullSize() const;
    QSizeF itemSize() const;
    void setDrawMode(int mode);
    void setTwoStep(bool active);
    void record(int optId);
    void run(int optId, const QVariant& param);
    // Runs a region operation unless the rectangle covers no image pixel.
    void runOnRegion(int optId, const QRect& imageRect);
    void rearm();
    void copyRegion(const QRect& imageRect, const QPoint& sceneTopLeft);
    void placeClipboard(const QPointF& scenePos, bool selected);
    void pasteFloatingRegions();

    CurrentImage& m_image;
    PageScene& m_scene;
    int m_lastOperation = 0;
    int m_drawMode = 0;
    int m_checkedRect = 0;
    bool m_pasting = false;
    bool m_twoStep = false;
    cv::Mat& m_clipboard;
};
