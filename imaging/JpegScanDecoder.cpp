#include "JpegScanDecoder.h"

#include "ExifOrientation.h"
#include "JpegErrorTrap.h"

#include <algorithm>
#include <cstring>

namespace JpegScanDecoder {
namespace {

// Rows handed to the library per call; it works in groups of up to 16.
const int kRowBatch = 16;
// Rows of a tagged page turned into place at once: a quarter turn writes
// each strip as columns, so taller strips mean longer runs per output row.
const int kStripRows = 128;

// The orientation of the first Exif APP1 segment among the saved markers; 1 without one.
int orientationOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 6 ||
            std::memcmp(marker->data, "Exif\0\0", 6) != 0)
            continue;
        return ExifOrientation::fromApp1(marker->data, marker->data_length);
    }
    return 1;
}

// longjmp lands here, so it holds nothing with a destructor (both matrices
// are the caller's).
bool decodeInto(const unsigned char* data, unsigned long size, Order order, cv::Mat& out,
                cv::Mat& strip)
{
    jpeg_decompress_struct info;
    JpegErrorTrap errors;
    info.err = errors.install();
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    // APP1 holds the EXIF block (and XMP, which orientationOf passes over).
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.data_precision != 8) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const int orientation = orientationOf(info);
    int type = 0;
    if (info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
        type = CV_8UC1;
    } else if (info.num_components == 3 &&
               (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB)) {
        info.out_color_space = order == Order::Rgb ? JCS_RGB : JCS_EXT_BGR;
        type = CV_8UC3;
    } else {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&info);
    const int storedRows = static_cast<int>(info.output_height);
    const int storedCols = static_cast<int>(info.output_width);
    const bool turned = orientation != 1;
    out.create(ExifOrientation::shownSize(cv::Size(storedCols, storedRows), orientation), type);
    if (turned)
        strip.create(kStripRows, storedCols, type);
    int stripFirst = 0; // stored row held in the strip's first row
    JSAMPROW rows[kRowBatch];
    while (info.output_scanline < info.output_height) {
        const int first = static_cast<int>(info.output_scanline);
        const int inStrip = first - stripFirst;
        const int count = std::min(turned ? kStripRows - inStrip : kRowBatch, storedRows - first);
        const int batch = std::min(count, kRowBatch);
        for (int i = 0; i < batch; ++i)
            rows[i] = turned ? strip.ptr(inStrip + i) : out.ptr(first + i);
        const int read =
            static_cast<int>(jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(batch)));
        if (read == 0)
            break;
        const int held = inStrip + read;
        if (turned && (held == kStripRows || first + read == storedRows)) {
            ExifOrientation::placeRows(strip.rowRange(0, held), stripFirst, storedRows, orientation,
                                       out);
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

} // namespace

bool decode(const unsigned char* data, unsigned long size, Order order, cv::Mat& out)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    cv::Mat strip;
    return decodeInto(data, size, order, out, strip);
}

} // namespace JpegScanDecoder
