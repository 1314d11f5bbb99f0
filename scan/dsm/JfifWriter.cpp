#include "JfifWriter.h"

#include "../TwainDefs.h"

#include <cmath>
#include <csetjmp>
#include <jpeglib.h>
#include <vector>

namespace {

// libjpeg's default error handler prints and calls exit(); a scanner driver
// inside the application must report the failure instead, so every call into
// libjpeg is made under a setjmp that lands back in the calling method.
void leave(j_common_ptr info)
{
    std::longjmp(*static_cast<std::jmp_buf*>(info->client_data), 1);
}

void keepQuiet(j_common_ptr) {}

UINT16 density(double dpi)
{
    const double d = std::round(dpi);
    return d > 65535.0 ? 65535 : UINT16(d);
}

} // namespace

struct JfifWriter::State
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    jpeg_compress_struct info{};
    bool created = false;
    bool failed = false;
    bool lineArt = false;
    int width = 0;
    std::vector<std::uint8_t> greyRow;
};

JfifWriter::JfifWriter() : m_state(new State) {}

JfifWriter::~JfifWriter()
{
    if (m_state->created)
        jpeg_destroy_compress(&m_state->info);
}

int JfifWriter::quality(int twainQuality)
{
    switch (twainQuality) {
    case TWJQ_HIGH:
        return 90;
    case TWJQ_MEDIUM:
    case TWJQ_UNKNOWN:
        return 75;
    case TWJQ_LOW:
        return 50;
    default:
        return twainQuality >= 0 && twainQuality <= 100 ? twainQuality : -1;
    }
}

bool JfifWriter::begin(const ScanRaster& shape, std::FILE* out, int quality)
{
    State& s = *m_state;
    if (s.created || s.failed)
        return false;
    s.lineArt = shape.isLineArt();
    s.width = shape.width;
    s.greyRow.assign(s.lineArt ? std::size_t(shape.width) : 0, 0);
    jpeg_compress_struct& info = s.info;
    info.err = jpeg_std_error(&s.mgr);
    s.mgr.error_exit = leave;
    s.mgr.output_message = keepQuiet;
    info.client_data = &s.jump;
    if (setjmp(s.jump)) {
        s.failed = true;
        return false;
    }
    jpeg_create_compress(&info);
    s.created = true;
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(shape.width);
    info.image_height = JDIMENSION(shape.height);
    info.input_components = shape.channels == 3 ? 3 : 1;
    info.in_color_space = shape.channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.write_JFIF_header = TRUE;
    if (shape.xDpi > 0.0 && shape.yDpi > 0.0) {
        info.density_unit = 1; // dots per inch
        info.X_density = density(shape.xDpi);
        info.Y_density = density(shape.yDpi);
    }
    jpeg_start_compress(&info, TRUE);
    return true;
}

bool JfifWriter::row(const std::uint8_t* data)
{
    State& s = *m_state;
    if (!s.created || s.failed || s.info.next_scanline >= s.info.image_height)
        return false;
    // libjpeg copies the rows it is given, so the page's own row goes in as it is.
    JSAMPROW row = const_cast<std::uint8_t*>(data);
    if (s.lineArt) {
        // A set (black) bit becomes 0.
        for (int x = 0; x < s.width; ++x)
            s.greyRow[x] = (data[x >> 3] >> (7 - (x & 7))) & 1 ? 0 : 255;
        row = s.greyRow.data();
    }
    if (setjmp(s.jump)) {
        s.failed = true;
        return false;
    }
    jpeg_write_scanlines(&s.info, &row, 1);
    return true;
}

bool JfifWriter::finish()
{
    State& s = *m_state;
    if (!s.created || s.failed || s.info.next_scanline != s.info.image_height)
        return false;
    if (setjmp(s.jump)) {
        s.failed = true;
        return false;
    }
    jpeg_finish_compress(&s.info);
    return true;
}
