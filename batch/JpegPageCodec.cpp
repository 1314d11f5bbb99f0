#include "JpegPageCodec.h"

#include "JpegErrorTrap.h"
#include "JpegScanDecoder.h"

#include <algorithm>

namespace JpegPageCodec {
namespace {

// Rows handed to the library per call; it works in groups of up to 16.
const int kRowBatch = 16;

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
    JpegErrorTrap errors;
    info.err = errors.install();
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
    const bool ok = JpegScanDecoder::decode(reinterpret_cast<const unsigned char*>(data.constData()),
                                            static_cast<unsigned long>(data.size()),
                                            JpegScanDecoder::Order::Bgr, out);
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
