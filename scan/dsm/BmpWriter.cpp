#include "BmpWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

void put16(std::vector<std::uint8_t>& b, std::uint16_t v)
{
    b.push_back(v & 0xff);
    b.push_back(v >> 8);
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((v >> (8 * i)) & 0xff);
}

std::uint32_t pixelsPerMetre(double dpi)
{
    if (!(dpi > 0.0))
        return 0;
    const double ppm = std::round(dpi / 0.0254);
    return ppm > 0x7fffffff ? 0x7fffffff : std::uint32_t(ppm);
}

} // namespace

bool BmpWriter::write(const ScanRaster& page, std::FILE* out)
{
    const bool colour = page.channels == 3;
    const int bitCount = page.isLineArt() ? 1 : (colour ? 24 : 8);
    const std::uint32_t paletteEntries = page.isLineArt() ? 2 : (colour ? 0 : 256);
    const std::uint64_t rowBytes = (std::uint64_t(page.width) * bitCount + 31) / 32 * 4;
    const std::uint64_t imageBytes = rowBytes * std::uint64_t(page.height);
    const std::uint32_t headerBytes = 14 + 40 + 4 * paletteEntries;
    if (imageBytes + headerBytes > 0xffffffffu)
        return false;

    std::vector<std::uint8_t> head;
    head.reserve(headerBytes);
    head.push_back('B');
    head.push_back('M');
    put32(head, std::uint32_t(headerBytes + imageBytes));
    put32(head, 0); // reserved
    put32(head, headerBytes);
    put32(head, 40);
    put32(head, std::uint32_t(page.width));
    put32(head, std::uint32_t(page.height)); // positive: rows run bottom-up
    put16(head, 1);
    put16(head, std::uint16_t(bitCount));
    put32(head, 0); // BI_RGB, uncompressed
    put32(head, std::uint32_t(imageBytes));
    put32(head, pixelsPerMetre(page.xDpi));
    put32(head, pixelsPerMetre(page.yDpi));
    put32(head, paletteEntries);
    put32(head, 0); // all colours important
    if (page.isLineArt()) {
        put32(head, 0x00ffffff); // index 0: white
        put32(head, 0x00000000); // index 1: black, as a set scanner bit
    } else if (!colour) {
        for (std::uint32_t i = 0; i < 256; ++i)
            put32(head, i | i << 8 | i << 16);
    }
    if (std::fwrite(head.data(), 1, head.size(), out) != head.size())
        return false;

    std::vector<std::uint8_t> row(rowBytes, 0);
    const std::size_t used = (std::size_t(page.width) * page.channels * page.bitsPerSample + 7) / 8;
    for (int y = page.height - 1; y >= 0; --y) {
        const std::uint8_t* src = page.data.data() + std::size_t(y) * page.bytesPerLine;
        if (colour) {
            std::uint8_t* dst = row.data();
            for (int x = 0; x < page.width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        } else {
            std::copy(src, src + used, row.begin());
        }
        if (std::fwrite(row.data(), 1, row.size(), out) != row.size())
            return false;
    }
    return true;
}
