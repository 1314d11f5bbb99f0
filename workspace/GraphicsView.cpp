#include "GraphicsView.h"

#include "PageScene.h"

#include <QDebug>
#include <QGraphicsItem>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QWheelEvent>
#include <cstdlib>

namespace {

const QString kBg = QStringLiteral("bg");
const QString kDot = QStringLiteral("dot");

const char* const kStyleSheet =
    "QGraphicsView{padding:0px;border:0px;background-color:#f0f0f0;}"
    "QToolTip{font-size:16px;color:#ffffff;background-color:#404040;}"
    "QScrollBar:horizontal{height:10px;background:#F5F5F5;margin:0px;}"
    "QScrollBar:vertical{width:10px;background:#F5F5F5;margin:0px;}"
    "QScrollBar::handle:horizontal{background:#CFCFCF;min-width:20px;}"
    "QScrollBar::handle:vertical{background:#CFCFCF;min-height:20px;}"
    "QScrollBar::add-page,QScrollBar::sub-page{background:none;}"
    "QScrollBar::add-line,QScrollBar::sub-line{width:0px;height:0px;border:none;}";

// The fitted image leaves this much of the viewport free in each direction.
constexpr int kFitBorder = 60;

} // namespace

GraphicsView::GraphicsView(QWidget* parent) : QGraphicsView(parent)
{
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    setCursor(Qt::ArrowCursor);
    setMouseTracking(true);
    setDragMode(QGraphicsView::RubberBandDrag);
    setAlignment(Qt::AlignCenter);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The marker polygon and the gesture outline are painted over the whole
    // viewport, so any scene change must repaint all of it.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    centerOn(0, 0);
    setStyleSheet(QString::fromLatin1(kStyleSheet));
}

void GraphicsView::setDrawMode(int mode)
{
    m_drawMode = mode;
}

void GraphicsView::setShowMarkers(bool show)
{
    m_showMarkers = show;
    if (scene()) {
        const auto all = scene()->items();
        for (QGraphicsItem* item : all) {
            if (item->data(0).toString() == kDot) {
                item->setVisible(show);
            }
        }
    }
    viewport()->update();
}

PageScene* GraphicsView::pageScene() const
{
    return qobject_cast<PageScene*>(scene());
}

stDisplayScale GraphicsView::showImage(const QImage& full, bool keepScale)
{
    PageScene* page = pageScene();
    if (full.isNull()) {
        if (page) {
            page->setDisplayedImage(QImage());
        }
        return m_scale;
    }
    QSize target;
    if (keepScale) {
        target = QSize(static_cast<int>(full.width() * m_scale.zoom),
                       static_cast<int>(full.height() * m_scale.zoom));
    } else {
        target = viewport()->size() - QSize(kFitBorder, kFitBorder);
    }
    // A viewport smaller than the border (or a tiny zoom) must still show a
    // pixel; an empty target would give a null image and a zero zoom.
    target = target.expandedTo(QSize(1, 1));
    const QImage scaled = full.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_scale.ratioX = static_cast<double>(scaled.width()) / full.width();
    m_scale.ratioY = static_cast<double>(scaled.height()) / full.height();
    m_scale.zoom = qMin(m_scale.ratioX, m_scale.ratioY);
    qDebug() << "zoomScale" << m_scale.ratioX << m_scale.ratioY;
    if (page) {
        page->setDisplayedImage(scaled);
    }
    viewport()->update();
    return m_scale;
}

double GraphicsView::steppedZoom(double zoom, int delta)
{
    if (delta < 1) {
        if (zoom >= kZoomMinToStep) {
            zoom -= kZoomStep;
        }
    } else if (zoom <= kZoomMaxToStep) {
        zoom += kZoomStep;
    }
    return zoom;
}

double GraphicsView::applyZoomStep(int delta)
{
    m_scale.zoom = steppedZoom(m_scale.zoom, delta);
    return m_scale.zoom;
}

void GraphicsView::mousePressEvent(QMouseEvent* event)
{
    QGraphicsView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        const QPoint point = mapToScene(event->pos()).toPoint();
        m_pressing = true;
        // A press on the page number, a marker or a floating region moves that
        // item; drawing a gesture under it would also run the armed operation.
        m_itemDrag = pressGrabbedItem();
        if (!m_itemDrag) {
            m_start = point;
            m_end = point;
            m_overlay = true;
        }
        emit mouseClicked(point);
    }
}

bool GraphicsView::pressGrabbedItem() const
{
    const QGraphicsItem* grabber = scene() ? scene()->mouseGrabberItem() : nullptr;
    return grabber && grabber->data(0).toString() != kBg;
}

void GraphicsView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressing && !m_itemDrag) {
        m_end = mapToScene(event->pos()).toPoint();
        viewport()->update();
    }
    QGraphicsView::mouseMoveEvent(event);
    emit mouseMovePoint(event->pos());
    setToolTip(QStringLiteral("使用'Ctrl+鼠标滚轮'可对视图进行缩放"));
}

void GraphicsView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressing) {
        finishGesture(event->pos());
    }
    if (event->button() == Qt::RightButton) {
        emit mouseRightClicked(event->pos());
    }
    // Always let the scene see the release, or a dragged marker would stay
    // grabbed by the mouse after a gesture that reported nothing.
    QGraphicsView::mouseReleaseEvent(event);
}

void GraphicsView::finishGesture(const QPoint& viewPos)
{
    emit mouseReleasePoint(viewPos);
    m_pressing = false;
    const QRectF page = sceneRect();
    const int pageWidth = static_cast<int>(page.width());
    const int pageHeight = static_cast<int>(page.height());
    qDebug() << "scene info" << page << pageWidth << pageHeight;

    clampMarkers();
    viewport()->update();

    if (!m_itemDrag) {
        m_end = mapToScene(viewPos).toPoint();
        reportGesture(pageWidth, pageHeight);
    }
    m_itemDrag = false;
    m_start = QPoint();
    m_end = QPoint();
    m_overlay = false;
}

void GraphicsView::reportGesture(int pageWidth, int pageHeight)
{
    int x = qMin(m_start.x(), m_end.x());
    int y = qMin(m_start.y(), m_end.y());
    int width = std::abs(m_start.x() - m_end.x());
    int height = std::abs(m_start.y() - m_end.y());
    qDebug() << "oldPos:" << m_start << m_end << width << height;

    if (x < 0) {
        width += x;
        x = 0;
    }
    if (x > pageWidth) {
        return;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    if (y > pageHeight) {
        return;
    }
    if (x + width > pageWidth) {
        width = pageWidth - x;
    }
    if (y + height > pageHeight) {
        height = pageHeight - y;
    }
    qDebug() << x << y << width << height;

    if (m_drawMode == DrawLine) {
        // A drag wholly left of or above the page clamps to a negative size;
        // a click has no direction to deskew by.
        if (width >= 0 && height >= 0 && m_start != m_end) {
            emit roiFinished(m_start, m_end);
        }
    } else if (m_drawMode == DrawRect) {
        // A click (or a drag along an edge) selects nothing, and the region
        // operations would take the whole page for it.
        if (width > 0 && height > 0) {
            // The second corner lies past the last pixel, so the difference of
            // the two points is the dragged size.
            emit roiFinished(QPoint(x, y), QPoint(x + width, y + height));
        }
    }
}

void GraphicsView::clampMarkers()
{
    if (!scene()) {
        return;
    }
    const QRectF page = sceneRect();
    const auto all = scene()->items();
    for (QGraphicsItem* item : all) {
        if (item->data(0).toString() != kDot) {
            continue;
        }
        const QPointF pos = item->pos();
        item->setPos(qBound(0.0, pos.x(), page.width()), qBound(0.0, pos.y(), page.height()));
    }
}

void GraphicsView::wheelEvent(QWheelEvent* event)
{
    // Some platforms turn Alt+wheel into a horizontal turn.
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (event->modifiers() == Qt::ControlModifier) {
        setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
        viewport()->update();
        emit wheelModified(delta);
    } else if (event->modifiers() == Qt::AltModifier) {
        emit wheelModified(delta);
    }
    QGraphicsView::wheelEvent(event);
}

void GraphicsView::paintEvent(QPaintEvent* event)
{
    QGraphicsView::paintEvent(event);
    QPainter painter(viewport());
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (m_showMarkers) {
        paintMarkerPolygon(painter);
    }
    if (m_overlay) {
        paintOverlay(painter);
    }
}

void GraphicsView::paintMarkerPolygon(QPainter& painter) const
{
    QPolygon polygon(4);
    if (scene()) {
        const auto all = scene()->items();
        for (QGraphicsItem* item : all) {
            const int index = item->data(1).toInt();
            if (item->data(0).toString() == kDot && index >= 0 && index < 4) {
                polygon[index] = mapFromScene(item->pos());
            }
        }
    }
    painter.setPen(QPen(QColor(0, 251, 255), 2, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(polygon);
}

void GraphicsView::paintOverlay(QPainter& painter) const
{
    const QPoint start = mapFromScene(m_start);
    const QPoint end = mapFromScene(m_end);
    painter.setPen(QPen(Qt::red, 2));
    painter.setBrush(Qt::NoBrush);
    switch (m_drawMode) {
    case DrawRect:
        painter.drawRect(QRect(start, end).normalized());
        break;
    case DrawEllipse:
        painter.drawEllipse(QRect(start, end).normalized());
        break;
    case DrawLine:
        painter.drawLine(start, end);
        break;
    default:
        break;
    }
}
