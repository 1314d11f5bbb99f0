#include "FrameReader.h"

#include "ExifOrientation.h"
#include "JpegFrameReader.h"
#include "JpegHeader.h"
#include "MagickResolution.h"
#include "MagickRuntime.h"
#include "QuietTiff.h"
#include "TiffFrameReader.h"

#include <Magick++.h>
#include <QDebug>
#include <QFile>
#include <string>
#include <tiffio.h>

namespace FrameReader {
namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// TIFF directories are counted by libtiff without decoding any of them.
int tiffDirectories(const QString& path)
{
    TIFF* tiff = QuietTiff::open(path, "r");
    if (!tiff)
        return 0;
    const int count = TIFFNumberOfDirectories(tiff);
    TIFFClose(tiff);
    return count;
}

QByteArray head(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
}

bool isTiff(const QByteArray& head)
{
    return head == QByteArray("II*\0", 4) || head == QByteArray("MM\0*", 4) ||
           head == QByteArray("II+\0", 4) || head == QByteArray("MM\0+", 4);
}

bool isJpeg(const QByteArray& head)
{
    return head.startsWith("\xff\xd8\xff");
}

void packBits(const QByteArray& grey, int width, int height, QByteArray& packed)
{
    const int rowBytes = (width + 7) / 8;
    packed = QByteArray(rowBytes * height, '\0');
    const auto* in = reinterpret_cast<const uchar*>(grey.constData());
    auto* out = reinterpret_cast<uchar*>(packed.data());
    for (int y = 0; y < height; ++y) {
        const uchar* row = in + qsizetype(y) * width;
        uchar* dst = out + qsizetype(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            if (row[x] >= 128)
                dst[x >> 3] |= uchar(0x80 >> (x & 7));
        }
    }
}

} // namespace

int frameCount(const QString& path)
{
    const QByteArray start = head(path);
    if (isTiff(start))
        return tiffDirectories(path);
    JpegHeader header;
    if (isJpeg(start) && JpegHeader::inspect(path, header))
        return 1;
    MagickRuntime::ensureInitialised();
    // The other page formats (JPEG, PNG, BMP) hold one picture.
    try {
        Magick::Image image;
        image.ping(path.toUtf8().toStdString());
        return image.isValid() ? 1 : 0;
    } catch (const Magick::Warning&) {
        return 1;
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception:" << QString::fromLocal8Bit(e.what()) << path;
        return 0;
    }
}

bool read(const QString& path, int index, RasterFrame& out, QString* error)
{
    out = RasterFrame();
    const QByteArray start = head(path);
    if (index == 0 && isJpeg(start)) {
        switch (JpegFrameReader::read(path, out, error)) {
        case JpegFrameReader::Status::Read:
            return true;
        case JpegFrameReader::Status::Damaged:
            return false;
        case JpegFrameReader::Status::NotHandled:
            break;
        }
    } else if (isTiff(start)) {
        switch (TiffFrameReader::read(path, index, out, error)) {
        case TiffFrameReader::Status::Read:
            return true;
        case TiffFrameReader::Status::Damaged:
            return false;
        case TiffFrameReader::Status::NotHandled:
            break;
        }
    }
    MagickRuntime::ensureInitialised();
    Magick::Image image;
    try {
        image.quiet(false);
        // "[n]" makes the decoder skip to frame n instead of decoding them all.
        std::string name = path.toUtf8().toStdString();
        if (index > 0 || isTiff(start))
            name += "[" + std::to_string(index) + "]";
        image.read(name);
    } catch (const Magick::WarningCorruptImage& e) {
        return fail(error, QString::fromLocal8Bit(e.what()));
    } catch (const Magick::Warning& e) {
        qWarning().noquote() << "Caught exception:" << QString::fromLocal8Bit(e.what()) << path;
    } catch (const std::exception& e) {
        return fail(error, QString::fromLocal8Bit(e.what()));
    }
    if (!image.isValid() || image.columns() == 0 || image.rows() == 0)
        return fail(error, QStringLiteral("not an image"));
    try {
        ExifOrientation::upright(image);
        MagickResolution::read(image, out.dpiX, out.dpiY);
        out.width = int(image.columns());
        out.height = int(image.rows());
        const bool alpha = image.matte();
        const bool grey =
            image.colorSpace() == Magick::GRAYColorspace || image.type() == Magick::BilevelType ||
            image.type() == Magick::GrayscaleType || image.type() == Magick::GrayscaleMatteType;
        if (image.colorSpace() == Magick::CMYKColorspace)
            image.colorSpace(Magick::sRGBColorspace);
        const bool bilevel = grey && !alpha && image.depth() == 1;
        out.bits = bilevel ? 1 : (image.depth() > 8 ? 16 : 8);
        out.channels = (grey ? 1 : 3) + (alpha ? 1 : 0);
        std::string map = grey ? "I" : "RGB";
        if (alpha)
            map += "A";
        const qsizetype samples = qsizetype(out.width) * out.height * out.channels;
        if (out.bits == 16) {
            out.pixels.resize(samples * 2);
            image.write(0, 0, size_t(out.width), size_t(out.height), map, Magick::ShortPixel,
                        out.pixels.data());
        } else {
            QByteArray bytes(samples, Qt::Uninitialized);
            image.write(0, 0, size_t(out.width), size_t(out.height), map, Magick::CharPixel,
                        bytes.data());
            if (bilevel)
                packBits(bytes, out.width, out.height, out.pixels);
            else
                out.pixels = bytes;
        }
    } catch (const std::exception& e) {
        out = RasterFrame();
        return fail(error, QString::fromLocal8Bit(e.what()));
    }
    return true;
}

} // namespace FrameReader
