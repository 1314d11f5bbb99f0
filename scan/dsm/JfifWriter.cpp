#include "JfifWriter.h"

#include "../TwainDefs.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <jpeglib.h>
#include <vector>

namespace {

// libjpeg's default error handler prints and calls exit(); a scanner driver
// inside the application must report the failure instead.
struct ErrorTrap
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void leave(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void keepQuiet(j_common_ptr) {}

UINT16 density(double dpi)
{
    const double d = std::round(dpi);
    return d > 65535.0 ? 65535 : UINT16(d);
}

// Line art has no JPEG form: one row of it as grey, a set (black) bit as 0.
void expandLineArt(const std::uint8_t* bits, int width, std::uint8_t* grey)
{
    for (int x = 0; x < width; ++x)
        grey[x] = (bits[x >> 3] >> (7 - (x & 7))) & 1 ? 0 : 255;
}

} // namespace

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

bool JfifWriter::write(const ScanRaster& page, std::FILE* out, int quality)
{
    // Everything that must survive a longjmp lives before setjmp.
    jpeg_compress_struct info{};
    ErrorTrap trap;
    std::vector<std::uint8_t> greyRow(page.isLineArt() ? std::size_t(page.width) : 0);

    info.err = jpeg_std_error(&trap.mgr);
    trap.mgr.error_exit = leave;
    trap.mgr.output_message = keepQuiet;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = JDIMENSION(page.width);
    info.image_height = JDIMENSION(page.height);
    info.input_components = page.channels == 3 ? 3 : 1;
    info.in_color_space = page.channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.write_JFIF_header = TRUE;
    if (page.xDpi > 0.0 && page.yDpi > 0.0) {
        info.density_unit = 1; // dots per inch
        info.X_density = density(page.xDpi);
        info.Y_density = density(page.yDpi);
    }
    jpeg_start_compress(&info, TRUE);

    if (page.isLineArt()) {
        JSAMPROW row = greyRow.data();
        while (info.next_scanline < info.image_height) {
            expandLineArt(page.data.data() + std::size_t(info.next_scanline) * page.bytesPerLine,
                          page.width, greyRow.data());
            jpeg_write_scanlines(&info, &row, 1);
        }
    } else {
        // Hand libjpeg the page's own rows, a batch at a time, without copying.
        constexpr JDIMENSION batch = 16;
        JSAMPROW rows[batch];
        auto* base = const_cast<std::uint8_t*>(page.data.data());
        while (info.next_scanline < info.image_height) {
            const JDIMENSION n = std::min(batch, info.image_height - info.next_scanline);
            for (JDIMENSION i = 0; i < n; ++i)
                rows[i] = base + std::size_t(info.next_scanline + i) * page.bytesPerLine;
            jpeg_write_scanlines(&info, rows, n);
        }
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}
