#include "BlankPage.h"

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <vector>

namespace {

// Reads the page already reduced where the format allows it (JPEG decodes
// straight at half or a quarter of its size), as 8-bit grey.
QImage readSample(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && size.width() > kBlankSampleWidth) {
        const int height = std::max(1, size.height() * kBlankSampleWidth / size.width());
        reader.setScaledSize(QSize(kBlankSampleWidth, height));
    }
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (image.width() > kBlankSampleWidth)
        image = image.scaledToWidth(kBlankSampleWidth, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

bool isBlankPage(const QString& path, double maxInkRatio, double* ratio)
{
    if (ratio)
        *ratio = -1;
    const QImage grey = readSample(path);
    if (grey.isNull())
        return false;
    const int width = grey.width();
    const int height = grey.height();
    const int marginX = static_cast<int>(width * kBlankMarginShare);
    const int marginY = static_cast<int>(height * kBlankMarginShare);
    const int left = std::max(1, marginX), right = std::min(width - 1, width - marginX);
    const int top = std::max(1, marginY), bottom = std::min(height - 1, height - marginY);
    if (right <= left || bottom <= top)
        return false;

    // A 3x3 box blur, summed as integers: ink when the sum of nine is below
    // nine times the level.
    const int limit = 9 * kBlankInkLevel;
    qint64 ink = 0;
    std::vector<const uchar*> rows(3);
    for (int y = top; y < bottom; ++y) {
        for (int k = 0; k < 3; ++k)
            rows[k] = grey.constScanLine(y - 1 + k);
        for (int x = left; x < right; ++x) {
            int sum = 0;
            for (const uchar* row : rows)
                sum += row[x - 1] + row[x] + row[x + 1];
            ink += sum < limit;
        }
    }
    const double share = double(ink) / (double(right - left) * double(bottom - top));
    if (ratio)
        *ratio = share;
    return share <= maxInkRatio;
}
