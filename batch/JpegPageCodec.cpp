#include "JpegPageCodec.h"

#include "ExifOrientation.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace JpegPageCodec {
namespace {

// Rows handed to the library per call; it works in groups of up to 16.
const int kRowBatch = 16;
// Rows of a tagged page turned into place at once: a quarter turn writes
// each strip as columns, so taller strips mean longer runs per output row.
const int kStripRows = 128;

// Errors jump back to the call instead of ending the process; warnings are
// only counted, so damaged data can be refused after decoding.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

void installErrors(ErrorManager& errors)
{
    jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
}

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

// Turns `count` freshly decoded rows of the strip into their place in out.
void placeStrip(const cv::Mat& strip, int count, int firstRow, int storedRows, int orientation,
                cv::Mat& out)
{
    ExifOrientation::placeRows(strip.rowRange(0, count), firstRow, storedRows, orientation, out);
}

// The decoding itself, straight into out as shown: untagged pages row by row,
// tagged ones through a strip of rows turned into place. longjmp lands here,
// so it holds nothing with a destructor (both matrices are the caller's).
bool decodeInto(const unsigned char* data, unsigned long size, cv::Mat& out, cv::Mat& strip)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    installErrors(errors);
    info.err = &errors.base;
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
        info.out_color_space = JCS_EXT_BGR;
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
        for (int i = 0; i < std::min(count, kRowBatch); ++i)
            rows[i] = turned ? strip.ptr(inStrip + i) : out.ptr(first + i);
        const int read = static_cast<int>(
            jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(std::min(count, kRowBatch))));
        if (read == 0)
            break;
        const int held = inStrip + read;
        if (turned && (held == kStripRows || first + read == storedRows)) {
            placeStrip(strip, held, stripFirst, storedRows, orientation, out);
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

// Encoded bytes go straight into the caller's vector, which outlives any jump.
struct VectorDestination
{
    jpeg_destination_mgr base;
    std::vector<unsigned char>* bytes;
};

void startBytes(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    dest->base.next_output_byte = dest->bytes->data();
    dest->base.free_in_buffer = dest->bytes->size();
}

boolean growBytes(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    const size_t used = dest->bytes->size();
    dest->bytes->resize(used * 2);
    dest->base.next_output_byte = dest->bytes->data() + used;
    dest->base.free_in_buffer = dest->bytes->size() - used;
    return TRUE;
}

void finishBytes(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
    dest->bytes->resize(dest->bytes->size() - dest->base.free_in_buffer);
}

bool encodeInto(const cv::Mat& image, int dpiX, int dpiY, VectorDestination& destination)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    installErrors(errors);
    info.err = &errors.base;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    destination.base.init_destination = startBytes;
    destination.base.empty_output_buffer = growBytes;
    destination.base.term_destination = finishBytes;
    info.dest = &destination.base;
    const bool grey = image.channels() == 1;
    info.image_width = static_cast<JDIMENSION>(image.cols);
    info.image_height = static_cast<JDIMENSION>(image.rows);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    info.dct_method = JDCT_ISLOW;
    info.write_JFIF_header = TRUE;
    if (dpiX > 0 && dpiY > 0) {
        info.density_unit = 1; // dots per inch
        info.X_density = static_cast<UINT16>(std::min(dpiX, 65535));
        info.Y_density = static_cast<UINT16>(std::min(dpiY, 65535));
    }
    jpeg_start_compress(&info, TRUE);
    JSAMPROW rows[kRowBatch];
    while (info.next_scanline < info.image_height) {
        const int first = static_cast<int>(info.next_scanline);
        const int count = std::min(kRowBatch, image.rows - first);
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(image.ptr(first + i));
        jpeg_write_scanlines(&info, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

bool decode(const QByteArray& data, cv::Mat& out)
{
    out.release();
    if (data.size() < 4 || static_cast<unsigned char>(data[0]) != 0xFF ||
        static_cast<unsigned char>(data[1]) != 0xD8)
        return false;
    cv::Mat strip;
    const bool ok = decodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                               static_cast<unsigned long>(data.size()), out, strip);
    if (!ok)
        out.release();
    return ok;
}

bool encode(const cv::Mat& image, int dpiX, int dpiY, std::vector<unsigned char>& out)
{
    out.clear();
    if (image.empty() || image.depth() != CV_8U || (image.channels() != 1 && image.channels() != 3))
        return false;
    // A page rarely compresses to less than a tenth; the vector grows if it must.
    out.resize(image.total() * image.elemSize() / 8 + 65536);
    VectorDestination destination;
    destination.bytes = &out;
    const bool ok = encodeInto(image, dpiX, dpiY, destination);
    if (!ok)
        out.clear();
    return ok && !out.empty();
}

} // namespace JpegPageCodec
