#include "GestureController.h"

#include "CurrentImage.h"
#include "EditTextItem.h"
#include "GraphicsView.h"
#include "ImageConvert.h"
#include "OperationId.h"
#include "PageScene.h"
#include "RegionOps.h"

#include <QDebug>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGraphicsPixmapItem>
#include <QPixmap>
#include <QPolygon>
#include <QtMath>
#include <cmath>
#include <cstdlib>

GestureController::GestureController(CurrentImage& image, PageScene& scene, cv::Mat& clipboard,
                                     QObject* parent)
    : QObject(parent), m_image(image), m_scene(scene), m_clipboard(clipboard)
{
}

QPoint GestureController::toImage(const QPoint& scenePoint, const QSize& full, const QSizeF& item)
{
    if (item.width() <= 0 || item.height() <= 0)
        return scenePoint;
    return QPoint(static_cast<int>(scenePoint.x() * full.width() / item.width()),
                  static_cast<int>(scenePoint.y() * full.height() / item.height()));
}

double GestureController::lineAngle(const QPoint& first, const QPoint& second)
{
    return qRadiansToDegrees(std::atan2(static_cast<double>(second.y() - first.y()),
                                        static_cast<double>(second.x() - first.x())));
}

QSize GestureController::fullSize() const
{
    return QSize(m_image.image().cols, m_image.image().rows);
}

QSizeF GestureController::itemSize() const
{
    const QGraphicsPixmapItem* item = m_scene.imageItem();
    return item ? QSizeF(item->pixmap().size()) : QSizeF();
}

QPoint GestureController::toImagePixels(const QPoint& scenePoint) const
{
    return toImage(scenePoint, fullSize(), itemSize());
}

stDisplayScale GestureController::displayScale() const
{
    stDisplayScale scale;
    const QSize full = fullSize();
    const QSizeF shown = itemSize();
    if (full.width() > 0 && full.height() > 0 && shown.width() > 0) {
        scale.ratioX = shown.width() / full.width();
        scale.ratioY = shown.height() / full.height();
        scale.zoom = qMin(scale.ratioX, scale.ratioY);
    }
    return scale;
}

void GestureController::setDrawMode(int mode)
{
    m_drawMode = mode;
    emit drawModeChanged(mode);
}

void GestureController::setTwoStep(bool active)
{
    m_twoStep = active;
    emit twoStepChanged(active);
}

void GestureController::record(int optId)
{
    m_lastOperation = optId;
    emit executeRequested(optId, false, QVariant());
}

void GestureController::run(int optId, const QVariant& param)
{
    emit executeRequested(optId, true, param);
}

void GestureController::runOnRegion(int optId, const QRect& imageRect)
{
    // Zoomed in, a drag within one image pixel covers none; the engine would
    // take the whole page for an empty rectangle.
    if (imageRect.isEmpty())
        return;
    // Clearing outside keeps the rectangle's far row and column as well
    // (inclusive bounds), so it gets the last pixel inside, not the one past it.
    run(optId, optId == IMG_OPT_CLEAR_OUTSIDE ? imageRect.adjusted(0, 0, -1, -1) : imageRect);
}

void GestureController::rearm()
{
    m_lastOperation = m_checkedRect;
    setDrawMode(m_checkedRect ? GraphicsView::DrawRect : GraphicsView::DrawNone);
}

void GestureController::onRectangleModeToggled(int optId, bool checked)
{
    if (checked) {
        m_checkedRect = optId;
        m_lastOperation = optId;
        setDrawMode(GraphicsView::DrawRect);
    } else if (m_checkedRect == optId) {
        m_checkedRect = 0;
        m_lastOperation = 0;
        setDrawMode(GraphicsView::DrawNone);
    }
    // Any other uncheck is the partner released while another mode took over.
}

void GestureController::arm(int optId)
{
    setDrawMode(optId == IMG_OPT_SLOPE_LINE ? GraphicsView::DrawLine : GraphicsView::DrawRect);
    record(optId);
}

void GestureController::onRoiFinished(const QPoint& first, const QPoint& second)
{
    if (m_lastOperation == 0 || !m_image.isOpen())
        return;
    const QPoint a = toImagePixels(first);
    const QPoint b = toImagePixels(second);
    const QRect rect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
                     QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
    qDebug() << "ROI finished " << rect;

    switch (m_lastOperation) {
    case IMG_OPT_SLOPE_LINE: {
        // A line within one image pixel has no direction.
        if (a == b)
            break;
        const double angle = lineAngle(a, b);
        qDebug() << "IMG_OPT_SLOPE_LINE" << angle << a << b;
        run(IMG_OPT_SLOPE_LINE, angle);
        break;
    }
    case IMG_OPT_CROP:
    case IMG_OPT_CLEAR_INSIDE:
    case IMG_OPT_CLEAR_OUTSIDE:
        runOnRegion(m_lastOperation, rect);
        break;
    case IMG_OPT_SEAL_RED:
    case IMG_OPT_SEAL_BLUE:
        qDebug() << (m_lastOperation == IMG_OPT_SEAL_RED ? "red deep" : "blue deep") << a << b;
        runOnRegion(m_lastOperation, rect);
        break;
    case IMG_OPT_ROI_COPY:
        setTwoStep(true);
        if (!m_pasting)
            copyRegion(rect, QPoint(qMin(first.x(), second.x()), qMin(first.y(), second.y())));
        setDrawMode(GraphicsView::DrawNone);
        return;
    default:
        break;
    }
    rearm();
}

void GestureController::copyRegion(const QRect& imageRect, const QPoint& sceneTopLeft)
{
    const cv::Mat& image = m_image.image();
    // The engine's crop keeps the whole page for an empty rectangle; a copy of
    // nothing must leave nothing to place.
    if (ImageHelper::workingRect(imageRect, image.size()).empty())
        m_clipboard.release();
    else
        m_clipboard = ImageHelper::crop(image, imageRect).clone();
    if (!m_clipboard.empty())
        placeClipboard(sceneTopLeft, false);
}

void GestureController::placeClipboard(const QPointF& scenePos, bool selected)
{
    // Shown at display scale, so the region covers on screen what it will
    // cover in the image when pasted.
    const QSize full = fullSize();
    const QSizeF item = itemSize();
    QSize shown(m_clipboard.cols, m_clipboard.rows);
    if (full.width() > 0 && full.height() > 0 && item.width() > 0)
        shown = QSize(qRound(m_clipboard.cols * item.width() / full.width()),
                      qRound(m_clipboard.rows * item.height() / full.height()))
                    .expandedTo(QSize(1, 1));
    const QImage region = ImageHelper::matToQImage(m_clipboard);
    m_scene.addRoiImage(
        QPixmap::fromImage(region.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
        scenePos, selected);
}

void GestureController::startFourPoint()
{
    if (!m_image.isOpen())
        return;
    setTwoStep(true);
    m_lastOperation = IMG_OPT_CORRECT_DOT;
    // A rectangle mode left armed would turn a marker drag into a gesture.
    setDrawMode(GraphicsView::DrawNone);
    m_scene.placeMarkersAtCorners();
    emit markersVisibleChanged(true);
}

void GestureController::startRegionCopy()
{
    setDrawMode(GraphicsView::DrawRect);
    record(IMG_OPT_ROI_COPY);
}

void GestureController::startPaste()
{
    if (!m_image.isOpen())
        return;
    setTwoStep(true);
    m_pasting = true;
    setDrawMode(GraphicsView::DrawNone);
    record(IMG_OPT_ROI_PASTE);
    if (!m_clipboard.empty())
        placeClipboard(QPointF(0, 0), true);
}

void GestureController::pasteFloatingRegions()
{
    const QList<QRect> placed = m_scene.takeRoiImages();
    for (const QRect& sceneRect : placed) {
        // The paste rectangle spans corner to corner, one more than the region.
        const QRect target(toImagePixels(sceneRect.topLeft()),
                           QSize(m_clipboard.cols + 1, m_clipboard.rows + 1));
        run(IMG_OPT_ROI_PASTE, target);
    }
}

void GestureController::confirm()
{
    qDebug() << "btnConfirm triggered";
    if (!m_image.isOpen())
        return;
    qDebug() << "btnConfirm triggered 1";
    if (m_lastOperation == IMG_OPT_CORRECT_DOT) {
        QPolygon corners;
        for (const QPoint& marker : m_scene.markerPositions())
            corners.append(toImagePixels(marker));
        emit markersVisibleChanged(false);
        run(IMG_OPT_CORRECT_DOT, QVariant::fromValue(corners));
    } else if (m_lastOperation == IMG_OPT_ROI_COPY || m_lastOperation == IMG_OPT_ROI_PASTE) {
        pasteFloatingRegions();
    }
    m_pasting = false;
    setTwoStep(false);
    rearm();
}

void GestureController::cancel()
{
    if (!m_image.isOpen())
        return;
    if (m_lastOperation == IMG_OPT_CORRECT_DOT) {
        emit markersVisibleChanged(false);
    } else if (m_lastOperation == IMG_OPT_ROI_COPY || m_lastOperation == IMG_OPT_ROI_PASTE) {
        m_scene.takeRoiImages();
        m_pasting = false;
    }
    setTwoStep(false);
    rearm();
}

QVariant GestureController::pageNumberValue() const
{
    const EditTextItem* item = m_scene.pageNoItem();
    const QSize full = fullSize();
    const QSizeF shown = itemSize();
    if (!item || !m_image.isOpen() || shown.width() <= 0 || shown.height() <= 0)
        return QVariant();
    const double sx = full.width() / shown.width();
    const double sy = full.height() / shown.height();
    QFont font = item->font();
    const int shownPixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    font.setPixelSize(qMax(1, static_cast<int>(shownPixels * sy)));
    qDebug() << "sign pageNo: " << sx << sy << font.pixelSize();

    const QString text = item->toPlainText();
    const QRectF box(item->pos().x() * sx, item->pos().y() * sy, item->boundingRect().width() * sx,
                     item->boundingRect().height() * sy);
    const QFontMetrics metrics(font);
    const QPoint topLeft(
        static_cast<int>(box.x() + (box.width() - metrics.horizontalAdvance(text)) / 2),
        static_cast<int>(box.y() + (box.height() - metrics.height()) / 2));
    QVariantMap value;
    value.insert(QStringLiteral("text"), text);
    value.insert(QStringLiteral("font"), font);
    value.insert(QStringLiteral("pos"), topLeft);
    return value;
}

PageNumberJob GestureController::pageNumberJob(const PageScene& scene, const QStringList& files,
                                               const stPageNoInfo& pageNo)
{
    PageNumberJob job = scene.pageNumberSnapshot();
    job.files = files;
    job.pageNo = pageNo;
    job.startNumber = pageNo.startNo;
    return job;
}
