#include "StatsTestPages.h"

#include <Magick++.h>
#include <QFile>
#include <QImageWriter>
#include <cmath>
#include <vector>

namespace StatsTestPages {

QSize pagePixels(int mmWidth, int mmHeight, int dpi)
{
    return QSize(int(std::lround(mmWidth / 25.4 * dpi)), int(std::lround(mmHeight / 25.4 * dpi)));
}

namespace {

// Qt always writes a resolution; a page without one loses its pHYs chunk here.
bool dropPngResolution(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const int at = bytes.indexOf("pHYs");
    if (at < 4)
        return false;
    bytes.remove(at - 4, 4 + 4 + 9 + 4); // length, type, data, CRC
    file.resize(0);
    return file.write(bytes) == bytes.size();
}

bool write(QImage image, const QString& path, int dpi, const char* format, int quality)
{
    if (dpi == 0) {
        QImageWriter writer(path, format);
        writer.setQuality(quality);
        return writer.write(image) && dropPngResolution(path);
    }
    const int perMetre = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(perMetre);
    image.setDotsPerMeterY(perMetre);
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    return writer.write(image);
}

} // namespace

bool writePng(const QString& path, const QSize& pixels, int dpi, QImage::Format format)
{
    QImage image(pixels, format);
    image.fill(0);
    // Quality 90 is zlib's fastest level: the statistics only read the header.
    return write(image, path, dpi, "png", 90);
}

bool writeJpeg(const QString& path, const QSize& pixels, int dpi, bool colour)
{
    QImage image(pixels, colour ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    image.fill(Qt::white);
    return write(image, path, dpi, "jpg", 50);
}

bool writeTiff(const QString& path, const QSize& pixels, int dpi, int frames, bool bilevel)
{
    try {
        std::vector<Magick::Image> pages;
        for (int i = 0; i < frames; ++i) {
            Magick::Image page(Magick::Geometry(pixels.width(), pixels.height()),
                               Magick::Color("white"));
            page.type(bilevel ? MagickCore::BilevelType : MagickCore::TrueColorType);
            page.depth(bilevel ? 1 : 8);
            page.resolutionUnits(MagickCore::PixelsPerInchResolution);
            page.density(Magick::Geometry(dpi, dpi));
            page.compressType(bilevel ? MagickCore::Group4Compression : MagickCore::LZWCompression);
            pages.push_back(page);
        }
        Magick::writeImages(pages.begin(), pages.end(), QFile::encodeName(path).toStdString(),
                            true);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool writeText(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace StatsTestPages
