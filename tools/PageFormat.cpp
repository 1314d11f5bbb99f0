#include "PageFormat.h"

#include <cmath>

namespace PageFormat {

const QVector<Format>& table()
{
    static const QVector<Format> formats = {
        {QStringLiteral("A4"), 210, 297},  {QStringLiteral("A3"), 420, 297},
        {QStringLiteral("A2"), 594, 420},  {QStringLiteral("A1"), 841, 594},
        {QStringLiteral("A0"), 1189, 841}, {QStringLiteral("超A0"), 1292, 914},
    };
    return formats;
}

float pixelsToMm(int pixels, int dpi)
{
    // Hundredths of a millimetre, rounded half up, then back to millimetres.
    const double hundredths = double(pixels) * 25.4 / dpi * 100.0 + 0.5;
    return float(std::floor(hundredths) / 100.0);
}

QString classify(const QSize& pixels, int xDpi, int yDpi, int toleranceMm)
{
    const float area = pixelsToMm(pixels.width(), xDpi) * pixelsToMm(pixels.height(), yDpi);
    const QVector<Format>& formats = table();
    // The last row (超A0) is only for reference; it is what is left.
    for (int i = 0; i + 1 < formats.size(); ++i) {
        const Format& format = formats.at(i);
        const long long limit =
            (long long)(format.widthMm + toleranceMm) * (format.heightMm + toleranceMm);
        if (float(limit) > area)
            return format.name;
    }
    return formats.constLast().name;
}

int a4Weight(const QString& format)
{
    const QVector<Format>& formats = table();
    for (int i = 0; i + 1 < formats.size(); ++i) {
        if (formats.at(i).name == format)
            return 1 << i;
    }
    return 0;
}

QString colourText(int depth, int channels)
{
    if (depth == 1)
        return QStringLiteral("黑白图像");
    if (depth == 8 && channels < 3)
        return QStringLiteral("灰度图像");
    return QStringLiteral("彩色图像 %1位").arg(channels * depth);
}

} // namespace PageFormat
