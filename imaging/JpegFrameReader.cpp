#include "JpegFrameReader.h"

#include "ExifOrientation.h"
#include "JpegHeader.h"
#include "JpegScanDecoder.h"
#include "PageFile.h"

#include <QFile>
#include <climits>
#include <opencv2/core.hpp>
#include <utility>

namespace JpegFrameReader {
namespace {

Status fail(Status status, QString* error, const QString& why)
{
    if (error)
        *error = why;
    return status;
}

} // namespace

Status read(const QString& path, RasterFrame& out, QString* error)
{
    out = RasterFrame();
    JpegHeader header;
    if (!JpegHeader::inspect(path, header))
        return Status::NotHandled;
    if (!header.complete)
        return fail(Status::Damaged, error, QStringLiteral("JPEG data cut off"));
    // Grey, or YCbCr/RGB (the library reads the Adobe marker), at 8 bits.
    if (header.precision != 8 || (header.components != 1 && header.components != 3))
        return Status::NotHandled;
    // A frame is held in one byte array, whose size is an int.
    if (qint64(header.width) * header.height * header.components >= INT_MAX)
        return Status::NotHandled;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(Status::NotHandled, error, file.errorString());
    const QByteArray data = file.readAll();
    file.close();

    const int channels = header.components;
    const cv::Size shownSize =
        ExifOrientation::shownSize(cv::Size(header.width, header.height), header.orientation);
    QByteArray pixels(qsizetype(shownSize.area()) * channels, Qt::Uninitialized);
    cv::Mat shown(shownSize, channels == 1 ? CV_8UC1 : CV_8UC3, pixels.data());
    if (!JpegScanDecoder::decode(reinterpret_cast<const unsigned char*>(data.constData()),
                                 static_cast<unsigned long>(data.size()),
                                 JpegScanDecoder::Order::Rgb, shown))
        return fail(Status::Damaged, error, QStringLiteral("JPEG data damaged"));
    // Decoded into a buffer of its own: the header and the decoder read the page differently.
    if (shown.data != reinterpret_cast<const uchar*>(pixels.constData()))
        return Status::NotHandled;

    out.width = shownSize.width;
    out.height = shownSize.height;
    out.channels = channels;
    out.bits = 8;
    out.pixels = std::move(pixels);
    if (header.dpiX > 0 && header.dpiY > 0) {
        const bool swapped = ExifOrientation::swapsSides(header.orientation);
        out.dpiX = swapped ? header.dpiY : header.dpiX;
        out.dpiY = swapped ? header.dpiX : header.dpiY;
    } else {
        // Resolution recorded only in EXIF (or as an aspect ratio): as the
        // header reader gives it, already as shown.
        const PageInfo info = PageFile::readInfo(path);
        out.dpiX = info.dpiX;
        out.dpiY = info.dpiY;
    }
    return Status::Read;
}

} // namespace JpegFrameReader
