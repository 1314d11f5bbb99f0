#include "PageScene.h"

#include "EditTextItem.h"
#include "Units.h"

#include <QDebug>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QPen>

namespace {

const QString kBg = QStringLiteral("bg");
const QString kMargin = QStringLiteral("margin");
const QString kDot = QStringLiteral("dot");
const QString kRoiImage = QStringLiteral("roiImage");

// Markers are drawn as squares this far around their position.
constexpr qreal kMarkerHalf = 40;

int scaledPixels(int mm, int dpi, double scale)
{
    return static_cast<int>(mmToPixels(static_cast<float>(mm), dpi) * scale);
}

} // namespace

PageScene::PageScene(QObject* parent) : QGraphicsScene(parent) {}

void PageScene::addFixedItems(const stPageNoInfo& pageNo)
{
    if (m_image) {
        return;
    }
    m_image = addPixmap(QPixmap());
    m_image->setPos(0, 0);
    m_image->setZValue(-999);
    m_image->setData(0, kBg);

    m_margin = addRect(QRectF(), QPen(Qt::red, 3));
    m_margin->setData(0, kMargin);
    m_margin->hide();

    m_pageNo = new EditTextItem(QStringLiteral("1"));
    m_pageNo->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    m_pageNo->setZValue(999);
    m_pageNo->setDefaultTextColor(Qt::black);
    QFont font = m_pageNo->font();
    font.setFamily(pageNo.fontFamily);
    font.setWeight(pageNo.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(pageNo.italic);
    font.setUnderline(pageNo.underline);
    font.setStrikeOut(pageNo.strikeOut);
    m_pageNo->setFont(font);
    m_pageNo->hide();
    addItem(m_pageNo);

    for (int index = 0; index < 4; ++index) {
        auto* dot = addRect(QRectF(-kMarkerHalf, -kMarkerHalf, 2 * kMarkerHalf, 2 * kMarkerHalf),
                            QPen(Qt::red, 3));
        dot->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable |
                      QGraphicsItem::ItemIsFocusable);
        dot->setData(0, kDot);
        dot->setData(1, index);
        dot->hide();
        m_markers.append(dot);
    }
    placeMarkersAtCorners();
}

QGraphicsRectItem* PageScene::marker(int index) const
{
    return m_markers.value(index, nullptr);
}

void PageScene::setDisplayedImage(const QImage& scaled)
{
    if (!m_image) {
        return;
    }
    m_image->setPixmap(QPixmap::fromImage(scaled));
    m_image->setPos(0, 0);
    setSceneRect(0, 0, scaled.width(), scaled.height());
}

QRectF PageScene::pageRect() const
{
    return sceneRect();
}

void PageScene::setMarginFrame(const stPageMargins& marginsMM, int dpiX, int dpiY,
                               const stDisplayScale& scale)
{
    if (!m_margin) {
        return;
    }
    const int left = scaledPixels(marginsMM.left, dpiX, scale.ratioX);
    const int right = scaledPixels(marginsMM.right, dpiX, scale.ratioX);
    const int top = scaledPixels(marginsMM.top, dpiY, scale.ratioY);
    const int bottom = scaledPixels(marginsMM.bottom, dpiY, scale.ratioY);
    m_margin->setRect(pageRect().adjusted(left, top, -right, -bottom));
}

void PageScene::setMarginFrameVisible(bool visible)
{
    if (m_margin) {
        m_margin->setVisible(visible);
    }
}

void PageScene::applyPageNoStyle(const stPageNoInfo& pageNo, int dpiX, double zoom)
{
    if (!m_pageNo) {
        return;
    }
    QFont font = m_pageNo->font();
    font.setWeight(pageNo.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(pageNo.italic);
    font.setUnderline(pageNo.underline);
    font.setStrikeOut(pageNo.strikeOut);
    // A font cannot be smaller than one pixel; tiny zooms would otherwise ask for 0.
    font.setPixelSize(qMax(1, scaledPixels(pageNo.fontSize, dpiX, zoom)));
    m_pageNo->setFont(font);
}

void PageScene::setPageNoFontProperty(int type, const QVariant& value, int dpiX, double zoom)
{
    if (!m_pageNo) {
        return;
    }
    QFont font = m_pageNo->font();
    switch (type) {
    case 1:
        font.setFamily(value.toString());
        break;
    case 2:
        font.setPixelSize(qMax(1, scaledPixels(value.toInt(), dpiX, zoom)));
        break;
    case 3:
        font.setWeight(value.toBool() ? QFont::Bold : QFont::Normal);
        break;
    case 4:
        font.setItalic(value.toBool());
        break;
    case 5:
        font.setUnderline(value.toBool());
        break;
    case 6:
        font.setStrikeOut(value.toBool());
        break;
    default:
        return;
    }
    m_pageNo->setFont(font);
    update();
}

void PageScene::setPageNoText(const QString& text)
{
    if (m_pageNo) {
        m_pageNo->setPlainText(text);
        update();
    }
}

void PageScene::placePageNo(const QString& area, int marginHorMM, int marginVerMM, int dpiX,
                            int dpiY, double zoom)
{
    if (!m_pageNo) {
        return;
    }
    const int h = scaledPixels(marginHorMM, dpiX, zoom);
    const int v = scaledPixels(marginVerMM, dpiY, zoom);
    const QRectF page = pageRect();
    const qreal itemWidth = m_pageNo->boundingRect().width();
    const qreal textHeight = QFontMetricsF(m_pageNo->font()).height();

    const qreal left = h;
    const qreal centre = (page.width() - itemWidth) / 2;
    const qreal right = page.width() - itemWidth - h;
    const qreal top = v;
    const qreal bottom = page.height() - v - textHeight;

    QPointF pos;
    if (area == QStringLiteral("左上")) {
        pos = QPointF(left, top);
    } else if (area == QStringLiteral("中上")) {
        pos = QPointF(centre, top);
    } else if (area == QStringLiteral("右上")) {
        pos = QPointF(right, top);
    } else if (area == QStringLiteral("左下")) {
        pos = QPointF(left, bottom);
    } else if (area == QStringLiteral("中下")) {
        pos = QPointF(centre, bottom);
    } else if (area == QStringLiteral("右下")) {
        pos = QPointF(right, bottom);
    } else {
        qWarning() << "unknown pageNo area" << area;
        return;
    }
    m_pageNo->setPos(pos);
    update();
}

void PageScene::applyPageSettings(const stPageMargins& marginsMM, const stPageNoInfo& pageNo,
                                  int dpiX, int dpiY, const stDisplayScale& scale)
{
    setMarginFrame(marginsMM, dpiX, dpiY, scale);
    applyPageNoStyle(pageNo, dpiX, scale.zoom);
    placePageNo(pageNo.area, pageNo.marginHor, pageNo.marginVer, dpiX, dpiY, scale.zoom);
}

PageNumberJob PageScene::pageNumberSnapshot() const
{
    PageNumberJob job;
    job.pageRect = pageRect();
    if (!m_pageNo) {
        return job;
    }
    const QFont font = m_pageNo->font();
    job.fontFamily = font.family();
    job.fontPixelSize = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    job.bold = font.weight() >= QFont::Bold;
    job.italic = font.italic();
    job.underline = font.underline();
    job.strikeOut = font.strikeOut();
    job.itemPos = m_pageNo->pos();
    job.itemHeight = m_pageNo->boundingRect().height();
    return job;
}

void PageScene::placeMarkersAtCorners()
{
    const QRectF page = pageRect();
    const QPointF corners[4] = {QPointF(0, 0), QPointF(page.width(), 0),
                                QPointF(page.width(), page.height()), QPointF(0, page.height())};
    for (int index = 0; index < m_markers.size(); ++index) {
        m_markers[index]->setPos(corners[index]);
    }
}

QVector<QPoint> PageScene::markerPositions() const
{
    QVector<QPoint> corners;
    for (const auto* dot : m_markers) {
        corners.append(dot->pos().toPoint());
    }
    return corners;
}

void PageScene::addRoiImage(const QPixmap& pixmap, const QPointF& pos, bool selected)
{
    auto* item = addPixmap(pixmap);
    item->setData(0, kRoiImage);
    item->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    item->setPos(pos);
    item->setSelected(selected);
    update();
}

QList<QRect> PageScene::takeRoiImages()
{
    QList<QRect> rects;
    const auto all = items();
    for (QGraphicsItem* item : all) {
        if (item->data(0).toString() != kRoiImage) {
            continue;
        }
        // A selectable pixmap item's bounding rectangle is half a pixel larger
        // on every side; the region pasted back is the pixmap itself.
        const auto* pixmapItem = qgraphicsitem_cast<QGraphicsPixmapItem*>(item);
        const QSize size =
            pixmapItem ? pixmapItem->pixmap().size() : item->boundingRect().size().toSize();
        const QRect rect(item->pos().toPoint(), size);
        qDebug() << "roiImage boundingRect is " << rect;
        rects.append(rect);
        removeItem(item);
        delete item;
    }
    update();
    return rects;
}
