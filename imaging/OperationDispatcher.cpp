#include "OperationDispatcher.h"

#include "OperationRegistry.h"
#include "PageGeometry.h"
#include "PageNumberStamper.h"
#include "RegionOps.h"
#include "Rotation.h"
#include "ToneOps.h"
#include "Units.h"

#include <QDebug>
#include <QFont>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <algorithm>

namespace {

using Handler = cv::Mat (*)(const cv::Mat& in, const QVariant& value, const OperationContext& ctx,
                            bool& ok);

// Which operations exist and which the batch may run is the registry's;
// this table only says how each one runs.
struct Entry
{
    int id;
    Handler run;
};

bool hasRect(const QVariant& value)
{
    return value.canConvert<QRect>() && !value.toRect().isNull();
}

cv::Mat unchanged(const cv::Mat& in, bool& ok, bool result)
{
    ok = result;
    return in;
}

// Colour from a QColor, a colour name or the settings' "r,g,b" text.
QColor colourOf(const QVariant& value)
{
    if (value.type() == QVariant::String) {
        const QStringList parts = value.toString().split(QLatin1Char(','));
        if (parts.size() == 3) {
            bool okR = false, okG = false, okB = false;
            const QColor colour(parts[0].trimmed().toInt(&okR), parts[1].trimmed().toInt(&okG),
                                parts[2].trimmed().toInt(&okB));
            return okR && okG && okB ? colour : QColor();
        }
    }
    return value.canConvert<QColor>() ? value.value<QColor>() : QColor();
}

QVector<QPoint> cornersOf(const QVariant& value)
{
    if (value.canConvert<QPolygon>() && value.userType() == qMetaTypeId<QPolygon>())
        return value.value<QPolygon>();
    QVector<QPoint> corners;
    for (const QVariant& point : value.toList())
        corners.append(point.toPoint());
    return corners;
}

// Page size in pixels; a size that would give no page refuses the operation
// rather than replacing the page by nothing.
cv::Mat resizeToPageMm(const cv::Mat& in, double widthMM, double heightMM, int dpiX, int dpiY,
                       bool& ok)
{
    const int width = mmToPixels(static_cast<float>(widthMM), dpiX);
    const int height = mmToPixels(static_cast<float>(heightMM), dpiY);
    if (width <= 0 || height <= 0) {
        qWarning() << "page size not applied:" << widthMM << "x" << heightMM << "mm at" << dpiX
                   << "x" << dpiY << "dpi";
        return unchanged(in, ok, false);
    }
    return ImageHelper::resizeToPage(in, width, height, 1);
}

cv::Mat pageSize(const cv::Mat& in, const QVariant& value, const OperationContext& ctx, bool& ok)
{
    if (value.type() == QVariant::Map) {
        const QVariantMap map = value.toMap();
        return resizeToPageMm(in, map.value(QStringLiteral("widthMM")).toDouble(),
                              map.value(QStringLiteral("heightMM")).toDouble(),
                              map.value(QStringLiteral("dpiX")).toInt(),
                              map.value(QStringLiteral("dpiY")).toInt(), ok);
    }
    if (value.type() == QVariant::Size) {
        const QSize mm = value.toSize();
        return resizeToPageMm(in, mm.width(), mm.height(), ctx.dpiX, ctx.dpiY, ok);
    }
    return resizeToPageMm(in, ctx.pageSize.widthMM, ctx.pageSize.heightMM, ctx.dpiX, ctx.dpiY, ok);
}

cv::Mat areaClear(const cv::Mat& in, const QVariant& value, const OperationContext& ctx, bool&)
{
    const QPoint dpi =
        value.type() == QVariant::Point ? value.toPoint() : QPoint(ctx.dpiX, ctx.dpiY);
    return ImageHelper::clearMargins(in, mmToPixels(ctx.margins.top, dpi.y()),
                                     mmToPixels(ctx.margins.bottom, dpi.y()),
                                     mmToPixels(ctx.margins.left, dpi.x()),
                                     mmToPixels(ctx.margins.right, dpi.x()), ctx.backgroundColour);
}

cv::Mat backgroundColour(const cv::Mat& in, const QVariant& value, const OperationContext&,
                         bool& ok)
{
    const QColor colour = colourOf(value);
    if (!colour.isValid()) {
        qWarning() << "batch process IMG_OPT_BGCOLOR_ADJUST failed";
        return unchanged(in, ok, false);
    }
    return ImageHelper::setBackgroundColour(in, colour);
}

cv::Mat colourAdjust(const cv::Mat& in, const QVariant& value, const OperationContext& ctx, bool&)
{
    const QVariantList list = value.toList();
    if (list.size() >= 3)
        return ImageHelper::adjustColour(in, list[0].toFloat(), list[1].toInt(), list[2].toFloat());
    return ImageHelper::adjustColour(in, ctx.colour.contrast, ctx.colour.brightness,
                                     ctx.colour.saturation);
}

cv::Mat signPageNumber(const cv::Mat& in, const QVariant& value, const OperationContext&, bool& ok)
{
    const QVariantMap map = value.toMap();
    const QString text = map.value(QStringLiteral("text")).toString();
    const QVariant font = map.value(QStringLiteral("font"));
    if (text.isEmpty() || !font.canConvert<QFont>())
        return unchanged(in, ok, false);
    return PageNumberStamper::paintText(in, text, font.value<QFont>(),
                                        map.value(QStringLiteral("pos")).toPoint());
}

cv::Mat withRect(const cv::Mat& in, const QVariant& value, bool& ok,
                 cv::Mat (*op)(const cv::Mat&, const QRect&))
{
    if (!hasRect(value))
        return unchanged(in, ok, false);
    return op(in, value.toRect());
}

// Batch entries first, then the toolbar-only ones.
const Entry kTable[] = {
    {IMG_OPT_SLOPE_AUTO,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::autoDeskew(in, 2);
     }},
    {IMG_OPT_AREA_CLEAR, areaClear},
    {IMG_OPT_ROTATE_LEFT,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::rotate(in, 90);
     }},
    {IMG_OPT_ROTATE_RIGHT,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::rotate(in, 270);
     }},
    {IMG_OPT_ROTATE_180,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::rotate(in, 180);
     }},
    {IMG_OPT_FLIP_HORIZONTAL,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::flip(in, 1);
     }},
    {IMG_OPT_FLIP_VERTICAL,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::flip(in, 0);
     }},
    {IMG_OPT_CONTENT_LIGHT,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::contentLight(in);
     }},
    {IMG_OPT_CONTENT_DEEP,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::contentDeep(in);
     }},
    {IMG_OPT_SEAL_RED,
     [](const cv::Mat& in, const QVariant& value, const OperationContext&, bool&) {
         return hasRect(value) ? ImageHelper::redSealDeep(in, value.toRect())
                               : ImageHelper::redSealDeep(in);
     }},
    {IMG_OPT_COLOUR_ADJUST, colourAdjust},
    {IMG_OPT_BGCOLOR_ADJUST, backgroundColour},
    {IMG_OPT_PAGENO_BATCH,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool& ok) {
         return unchanged(in, ok, true);
     }},
    {IMG_OPT_PAGESIZE, pageSize},
    {IMG_OPT_DPI,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool& ok) {
         return unchanged(in, ok, true);
     }},

    {IMG_OPT_SLOPE_LINE,
     [](const cv::Mat& in, const QVariant& value, const OperationContext&, bool& ok) {
         bool isNumber = false;
         const double angle = value.toDouble(&isNumber);
         return isNumber ? ImageHelper::rotateByAngle(in, static_cast<float>(angle))
                         : unchanged(in, ok, false);
     }},
    {IMG_OPT_SLOPE_LEFT,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::rotateByAngle(in, 1.0f);
     }},
    {IMG_OPT_SLOPE_RIGHT,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::rotateByAngle(in, -1.0f);
     }},
    {IMG_OPT_CORRECT_AUTO,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::autoCorrect(in);
     }},
    {IMG_OPT_CORRECT_DOT,
     [](const cv::Mat& in, const QVariant& value, const OperationContext&, bool& ok) {
         const QVector<QPoint> corners = cornersOf(value);
         return corners.size() == 4 ? ImageHelper::perspectiveCorrect(in, corners)
                                    : unchanged(in, ok, false);
     }},
    {IMG_OPT_BG_CLEAR,
     [](const cv::Mat& in, const QVariant&, const OperationContext& ctx, bool&) {
         return ImageHelper::clearBackground(in, ctx.backgroundColour);
     }},
    {IMG_OPT_CLEAR_INSIDE,
     [](const cv::Mat& in, const QVariant& value, const OperationContext& ctx, bool& ok) {
         return hasRect(value) ? ImageHelper::clearInside(in, value.toRect(), ctx.backgroundColour)
                               : unchanged(in, ok, false);
     }},
    {IMG_OPT_CLEAR_OUTSIDE,
     [](const cv::Mat& in, const QVariant& value, const OperationContext& ctx, bool& ok) {
         return hasRect(value) ? ImageHelper::clearOutside(in, value.toRect(), ctx.backgroundColour)
                               : unchanged(in, ok, false);
     }},
    {IMG_OPT_SEAL_BLUE,
     [](const cv::Mat& in, const QVariant& value, const OperationContext&, bool& ok) {
         return withRect(in, value, ok, ImageHelper::blueSealDeep);
     }},
    {IMG_OPT_SIGN_PAGENO, signPageNumber},
    {IMG_OPT_BINARY,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool&) {
         return ImageHelper::binarize(in);
     }},
    {IMG_OPT_CROP,
     [](const cv::Mat& in, const QVariant& value, const OperationContext&, bool& ok) {
         return withRect(in, value, ok, ImageHelper::crop);
     }},
    {IMG_OPT_ROI_COPY,
     [](const cv::Mat& in, const QVariant&, const OperationContext&, bool& ok) {
         return unchanged(in, ok, true);
     }},
    {IMG_OPT_ROI_PASTE,
     [](const cv::Mat& in, const QVariant& value, const OperationContext& ctx, bool& ok) {
         return hasRect(value) && !ctx.clipboard.empty()
                    ? ImageHelper::pasteRegion(in, ctx.clipboard, value.toRect())
                    : unchanged(in, ok, false);
     }},
};

const Entry* find(int id)
{
    const auto it = std::find_if(std::begin(kTable), std::end(kTable),
                                 [id](const Entry& entry) { return entry.id == id; });
    return it == std::end(kTable) ? nullptr : it;
}

} // namespace

cv::Mat OperationDispatcher::apply(int id, const cv::Mat& in, const QVariant& value,
                                   const OperationContext& ctx, bool* ok)
{
    bool done = true;
    cv::Mat out = in;
    const Entry* entry = find(id);
    if (!entry || (ctx.batch && !OperationRegistry::isBatch(id)) || in.empty()) {
        done = false;
    } else {
        try {
            out = entry->run(in, value, ctx, done);
        } catch (const std::exception& e) {
            qWarning() << "Caught exception:" << e.what() << "operation" << id;
            out = in;
            done = false;
        }
    }
    if (ok)
        *ok = done;
    return out;
}

bool OperationDispatcher::isKnown(int id)
{
    return OperationRegistry::isKnown(id) && find(id) != nullptr;
}

bool OperationDispatcher::isBatchOperation(int id)
{
    return OperationRegistry::isBatch(id) && find(id) != nullptr;
}

QList<int> OperationDispatcher::batchOperations()
{
    return OperationRegistry::batchList();
}

QVariant OperationDispatcher::batchValue(int id, const OperationContext& ctx)
{
    switch (id) {
    case IMG_OPT_AREA_CLEAR:
        return QPoint(ctx.dpiX, ctx.dpiY);
    case IMG_OPT_PAGESIZE:
        return QVariantMap{{QStringLiteral("widthMM"), ctx.pageSize.widthMM},
                           {QStringLiteral("heightMM"), ctx.pageSize.heightMM},
                           {QStringLiteral("dpiX"), ctx.dpiX},
                           {QStringLiteral("dpiY"), ctx.dpiY}};
    case IMG_OPT_BGCOLOR_ADJUST:
        return ctx.backgroundColour;
    case IMG_OPT_COLOUR_ADJUST:
        return QVariantList{ctx.colour.contrast, ctx.colour.brightness, ctx.colour.saturation};
    default:
        return QVariant();
    }
}
