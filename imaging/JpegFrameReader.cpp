#include "JpegFrameReader.h"

#include "ExifOrientation.h"
#include "JpegHeader.h"
#include "PageFile.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <opencv2/core.hpp>
#include <utility>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace JpegFrameReader {
namespace {

// Rows handed to the library per call; it works in groups of up to 16.
const int kRowBatch = 16;
// Rows of a tagged page turned into place at once.
const int kStripRows = 128;

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (premature end, corrupt entropy data) are only counted here; the
// page is refused once decoding ends.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

// Decodes into shown (already the shown size); false on any error or warning.
// longjmp lands here, so it holds nothing with a destructor: the matrices are
// the caller's.
bool decodeInto(const QByteArray& data, int orientation, cv::Mat& shown, cv::Mat& strip)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    info.err = &errors.base;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = shown.channels() == 1 ? JCS_GRAYSCALE : JCS_RGB;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&info);
    const int storedRows = static_cast<int>(info.output_height);
    const bool turned = orientation != 1;
    if (turned)
        strip.create(kStripRows, static_cast<int>(info.output_width), shown.type());
    int stripFirst = 0;
    JSAMPROW rows[kRowBatch];
    while (info.output_scanline < info.output_height) {
        const int first = static_cast<int>(info.output_scanline);
        const int inStrip = first - stripFirst;
        const int count = std::min(turned ? kStripRows - inStrip : kRowBatch, storedRows - first);
        const int batch = std::min(count, kRowBatch);
        for (int i = 0; i < batch; ++i)
            rows[i] = turned ? strip.ptr(inStrip + i) : shown.ptr(first + i);
        const int read =
            static_cast<int>(jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(batch)));
        if (read == 0)
            break;
        const int held = inStrip + read;
        if (turned && (held == kStripRows || first + read == storedRows)) {
            ExifOrientation::placeRows(strip.rowRange(0, held), stripFirst, storedRows, orientation,
                                       shown);
            stripFirst += held;
        }
    }
    const bool complete = info.output_scanline == info.output_height;
    if (complete)
        jpeg_finish_decompress(&info);
    const bool clean = complete && errors.base.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    return clean;
}

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
    cv::Mat strip;
    if (!decodeInto(data, header.orientation, shown, strip))
        return fail(Status::Damaged, error, QStringLiteral("JPEG data damaged"));

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
