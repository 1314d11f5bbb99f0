#include "JpegThumbnailDecoder.h"

#include "ExifOrientation.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <opencv2/core.hpp>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>

namespace JpegThumbnailDecoder {
namespace {

// Rows asked of the library per call; it hands out at most 16 at once.
const int kRowsPerCall = 16;

// Errors and warnings both leave the decoding. A file cut short shows no
// picture on the sheet rather than a half-grey one that looks fine at a
// glance; other damage goes to the general reader, which shows what the main
// view would.
struct Errors
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool cutShort = false;
};

[[noreturn]] void leave(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Errors*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    reinterpret_cast<Errors*>(info->err)->cutShort = info->err->msg_code == JWRN_JPEG_EOF;
    leave(info);
}

int exifOrientation(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0)
            return ExifOrientation::fromApp1(marker->data, marker->data_length);
    }
    return 1;
}

// The stored size to decode at least: the page as shown fitted into box
// (never enlarged), turned back to how it is stored.
QSize storedTarget(const QSize& stored, int orientation, const QSize& box)
{
    const bool turned = ExifOrientation::swapsSides(orientation);
    const QSize shown = turned ? stored.transposed() : stored;
    QSize fitted = shown;
    if (shown.width() > box.width() || shown.height() > box.height())
        fitted = shown.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return turned ? fitted.transposed() : fitted;
}

// The smallest scale n/8 whose output still covers target, allowing the
// pixel the library's rounding up may give or take.
void chooseScale(jpeg_decompress_struct& info, const QSize& target)
{
    info.scale_denom = 8;
    for (unsigned num = 1; num <= 8; ++num) {
        info.scale_num = num;
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) + 1 >= target.width() &&
            int(info.output_height) + 1 >= target.height())
            return;
    }
}

// Everything that may jump back is in here; it holds nothing with a
// destructor across a library call, and jumps only lead to returning.
Outcome run(jpeg_decompress_struct& info, Errors& errors, const unsigned char* data,
            std::size_t size, const QSize& box, QImage* image, int* orientation)
{
    if (setjmp(errors.jump))
        return errors.cutShort ? Outcome::Damaged : Outcome::NotHandled;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return Outcome::NotHandled;
    QImage::Format format;
    if (info.data_precision != 8)
        return Outcome::NotHandled;
    if (info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
    } else if (info.num_components == 3 &&
               (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB)) {
        // Format_RGB32 is 0xffRRGGBB in native words; the alpha variants
        // write that 0xff, where the X ones leave the byte undefined.
        info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
        format = QImage::Format_RGB32;
    } else {
        return Outcome::NotHandled;
    }
    *orientation = exifOrientation(info);
    chooseScale(info, storedTarget(QSize(int(info.image_width), int(info.image_height)),
                                   *orientation, box));
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    *image = QImage(int(info.output_width), int(info.output_height), format);
    if (image->isNull())
        return Outcome::Damaged;
    JSAMPROW rows[kRowsPerCall];
    while (info.output_scanline < info.output_height) {
        const int first = int(info.output_scanline);
        const int count = std::min(kRowsPerCall, int(info.output_height) - first);
        for (int i = 0; i < count; ++i)
            rows[i] = image->scanLine(first + i);
        if (jpeg_read_scanlines(&info, rows, JDIMENSION(count)) == 0)
            return Outcome::Damaged;
    }
    jpeg_finish_decompress(&info);
    return Outcome::Decoded;
}

QImage upright(const QImage& stored, int orientation)
{
    if (orientation == 1)
        return stored;
    const int type = stored.format() == QImage::Format_Grayscale8 ? CV_8UC1 : CV_8UC4;
    const cv::Size storedSize(stored.width(), stored.height());
    const cv::Size shownSize = ExifOrientation::shownSize(storedSize, orientation);
    QImage shown(shownSize.width, shownSize.height, stored.format());
    if (shown.isNull())
        return QImage();
    const cv::Mat from(storedSize, type, const_cast<uchar*>(stored.constBits()),
                       size_t(stored.bytesPerLine()));
    cv::Mat to(shownSize, type, shown.bits(), size_t(shown.bytesPerLine()));
    ExifOrientation::placeRows(from, 0, stored.height(), orientation, to);
    return shown;
}

} // namespace

bool looksLikeJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

Outcome decode(const unsigned char* data, std::size_t size, const QSize& box, QImage* image)
{
    *image = QImage();
    if (!looksLikeJpeg(data, size))
        return Outcome::NotHandled;
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof info);
    Errors errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = leave;
    errors.base.emit_message = onMessage;
    int orientation = 1;
    QImage stored;
    const Outcome outcome = run(info, errors, data, size, box, &stored, &orientation);
    jpeg_destroy_decompress(&info);
    if (outcome != Outcome::Decoded)
        return outcome;
    QImage shown = upright(stored, orientation);
    if (shown.isNull())
        return Outcome::Damaged;
    // The scales come in eighths: an output well above the box is brought down.
    if (shown.width() > box.width() + 1 || shown.height() > box.height() + 1)
        shown = shown.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    *image = shown;
    return Outcome::Decoded;
}

} // namespace JpegThumbnailDecoder
