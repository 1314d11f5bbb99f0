#include "ScanFileWriter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

// Where destination pixel (x, y) comes from in a page of w × h, turned clockwise
// by quarter turns.
struct Source
{
    int turns, w, h;
    void at(int x, int y, int& sx, int& sy) const
    {
        switch (turns) {
        case 1:
            sx = y;
            sy = h - 1 - x;
            break;
        case 2:
            sx = w - 1 - x;
            sy = h - 1 - y;
            break;
        default:
            sx = w - 1 - y;
            sy = x;
            break;
        }
    }
};

bool bitAt(const std::uint8_t* row, int x)
{
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

} // namespace

void rotateScanRaster(ScanRaster& page, int quarterTurns)
{
    const int turns = ((quarterTurns % 4) + 4) % 4;
    const std::size_t pixelBits = std::size_t(page.channels) * page.bitsPerSample;
    if (turns == 0 || page.width <= 0 || page.height <= 0 || page.bytesPerLine <= 0 ||
        (page.bitsPerSample != 1 && page.bitsPerSample != 8) || page.channels < 1 ||
        std::size_t(page.bytesPerLine) < (std::size_t(page.width) * pixelBits + 7) / 8 ||
        page.data.size() < std::size_t(page.bytesPerLine) * std::size_t(page.height))
        return;

    const bool sideways = turns % 2 == 1;
    const int w = sideways ? page.height : page.width;
    const int h = sideways ? page.width : page.height;
    const std::size_t line = (std::size_t(w) * pixelBits + 7) / 8;
    std::vector<std::uint8_t> out(line * std::size_t(h), 0);
    const Source from{turns, page.width, page.height};
    const std::uint8_t* in = page.data.data();
    const std::size_t inLine = std::size_t(page.bytesPerLine);

    // Square tiles keep both the rows read and the rows written in cache when a
    // quarter turn walks the source down its columns.
    constexpr int tile = 64;
    for (int ty = 0; ty < h; ty += tile) {
        for (int tx = 0; tx < w; tx += tile) {
            const int yEnd = std::min(h, ty + tile);
            const int xEnd = std::min(w, tx + tile);
            for (int y = ty; y < yEnd; ++y) {
                std::uint8_t* dst = out.data() + std::size_t(y) * line;
                int sx, sy;
                for (int x = tx; x < xEnd; ++x) {
                    from.at(x, y, sx, sy);
                    const std::uint8_t* src = in + std::size_t(sy) * inLine;
                    if (page.bitsPerSample == 1) {
                        if (bitAt(src, sx))
                            dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
                    } else {
                        for (int c = 0; c < page.channels; ++c)
                            dst[std::size_t(x) * page.channels + c] =
                                src[std::size_t(sx) * page.channels + c];
                    }
                }
            }
        }
    }

    if (sideways) {
        std::swap(page.xDpi, page.yDpi);
        std::swap(page.width, page.height);
    }
    page.bytesPerLine = int(line);
    page.data.swap(out);
}
