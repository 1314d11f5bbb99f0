#include "PageNumberPlacement.h"

#include "PageNumberStamper.h"
#include "Units.h"

#include <QDebug>
#include <QFontMetricsF>

PageNumberJob PageNumberPlacement::forPage(const stPageNoInfo& pageNo, const QString& text,
                                           int width, int height, int dpiX, int dpiY)
{
    dpiX = dpiX > 0 ? dpiX : kFallbackDpi;
    dpiY = dpiY > 0 ? dpiY : kFallbackDpi;

    PageNumberJob job;
    job.pageNo = pageNo;
    job.fontFamily = pageNo.fontFamily;
    job.fontPixelSize = std::max(1, mmToPixels(static_cast<float>(pageNo.fontSize), dpiX));
    job.bold = pageNo.bold;
    job.italic = pageNo.italic;
    job.underline = pageNo.underline;
    job.strikeOut = pageNo.strikeOut;

    // Scale 1: the font the stamper will paint with is the item's font.
    const QFontMetricsF metrics(PageNumberStamper::scaledFont(job, 1.0));
    const qreal itemWidth = metrics.horizontalAdvance(text);
    const qreal textHeight = metrics.height();
    const int h = mmToPixels(static_cast<float>(pageNo.marginHor), dpiX);
    const int v = mmToPixels(static_cast<float>(pageNo.marginVer), dpiY);

    const qreal left = h;
    const qreal centre = (width - itemWidth) / 2;
    const qreal right = width - itemWidth - h;
    const qreal top = v;
    const qreal bottom = height - v - textHeight;

    const QString& area = pageNo.area;
    if (area == QStringLiteral("左上")) {
        job.itemPos = QPointF(left, top);
    } else if (area == QStringLiteral("中上")) {
        job.itemPos = QPointF(centre, top);
    } else if (area == QStringLiteral("左下")) {
        job.itemPos = QPointF(left, bottom);
    } else if (area == QStringLiteral("中下")) {
        job.itemPos = QPointF(centre, bottom);
    } else if (area == QStringLiteral("右下")) {
        job.itemPos = QPointF(right, bottom);
    } else {
        // "右上", and the record's default for a value it does not know.
        if (area != QStringLiteral("右上"))
            qWarning() << "unknown pageNo area" << area;
        job.itemPos = QPointF(right, top);
    }
    job.itemHeight = textHeight;
    // An empty page rectangle tells the stamper the item is in image pixels.
    job.pageRect = QRectF();
    return job;
}
