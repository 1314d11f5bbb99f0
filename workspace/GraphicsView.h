#pragma once

#include "stDisplayScale.h"

#include <QGraphicsView>
#include <QPoint>

class PageScene;
class QKeyEvent;

// The image view: shows the page scene and turns left-button gestures into
// geometry. Draw modes: 0 none, 1 rectangle, 2 ellipse, 3 line. A finished
// rectangle is clamped to the page; the corner markers ("dot" items) are kept
// on the page. A press that moves a scene item starts no gesture. Ctrl or Alt
// with the wheel asks for a zoom step.
class GraphicsView : public QGraphicsView
{
    Q_OBJECT
public:
    enum DrawMode
    {
        DrawNone = 0,
        DrawRect = 1,
        DrawEllipse = 2,
        DrawLine = 3
    };

    // Zoom bounds: a step down needs at least kZoomMinToStep, a step up at
    // most kZoomMaxToStep, so the factor stays within 0.05 to 2.55.
    static constexpr double kZoomStep = 0.05;
    static constexpr double kZoomMinToStep = 0.1;
    static constexpr double kZoomMaxToStep = 2.5;

    explicit GraphicsView(QWidget* parent = nullptr);

    void setDrawMode(int mode);
    int drawMode() const { return m_drawMode; }
    // Shows or hides the corner markers and the polygon through them.
    void setShowMarkers(bool show);
    bool showMarkers() const { return m_showMarkers; }

    // The scene set on this view when it is a PageScene, else null.
    PageScene* pageScene() const;

    // Shows `full` on the page scene: fitted into the viewport less a 60 px
    // border, or at the kept zoom factor. The zoom factor becomes the smaller
    // of the two display ratios. A null image empties the page.
    stDisplayScale showImage(const QImage& full, bool keepScale);
    const stDisplayScale& displayScale() const { return m_scale; }
    double zoomFactor() const { return m_scale.zoom; }
    void setZoomFactor(double zoom) { m_scale.zoom = zoom; }

    // One wheel step of the zoom factor: a delta below 1 lowers it, 1 or more
    // raises it, each only within the bounds above. Pure; the view's own
    // factor is untouched.
    static double steppedZoom(double zoom, int delta);

public slots:
    // Applies steppedZoom to the kept factor and returns the new one; the
    // caller redisplays with keepScale.
    double applyZoomStep(int delta);

signals:
    void wheelModified(int delta);
    void mouseMovePoint(QPoint viewPos);
    void mouseClicked(QPoint scenePos);
    void mouseRightClicked(QPoint viewPos);
    void mouseDoubleClick(QPoint pos);
    void keyPress(QKeyEvent* event);
    void mouseReleasePoint(QPoint viewPos);
    void roiRectFinished();
    // Rectangle mode: top-left of the clamped rectangle and the corner just
    // past its bottom-right pixel (second - first is its size); line mode:
    // start and end. Scene coordinates; a click reports nothing.
    void roiFinished(QPoint first, QPoint second);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // True when the scene gave the current press to an item other than the page.
    bool pressGrabbedItem() const;
    void finishGesture(const QPoint& viewPos);
    // Clamps the gesture to the page and emits roiFinished when something is left.
    void reportGesture(int pageWidth, int pageHeight);
    void clampMarkers();
    void paintMarkerPolygon(QPainter& painter) const;
    void paintOverlay(QPainter& painter) const;

    int m_drawMode = DrawNone;
    bool m_pressing = false;
    // The current press moves a scene item: no gesture is drawn or reported.
    bool m_itemDrag = false;
    bool m_showMarkers = false;
    bool m_overlay = false;
    QPoint m_start;
    QPoint m_end;
    stDisplayScale m_scale;
};
