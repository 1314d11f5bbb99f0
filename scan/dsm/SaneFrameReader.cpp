#include "SaneFrameReader.h"

#include <algorithm>
#include <cstring>

namespace {

// One sample of a frame row as 8 bits. 16-bit samples come in the host's byte
// order; their high byte is what a 8-bit file keeps.
std::uint8_t sample8(const std::uint8_t* row, int i, int depth)
{
    if (depth == 16) {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * i, 2);
        return std::uint8_t(v >> 8);
    }
    if (depth == 1)
        return (row[i / 8] & (0x80 >> (i % 8))) ? 255 : 0;
    return row[i];
}

int channelOf(SANE_Frame format)
{
    switch (format) {
    case SANE_FRAME_GREEN:
        return 1;
    case SANE_FRAME_BLUE:
        return 2;
    default:
        return 0;
    }
}

} // namespace

SANE_Status SaneFrameReader::readFrameBytes(std::vector<std::uint8_t>& bytes)
{
    std::uint8_t buf[65536];
    for (;;) {
        SANE_Int len = 0;
        const SANE_Status st = sane_read(m_handle, buf, sizeof buf, &len);
        if (st == SANE_STATUS_EOF)
            return SANE_STATUS_GOOD;
        if (st != SANE_STATUS_GOOD)
            return st;
        bytes.insert(bytes.end(), buf, buf + len);
    }
}

SANE_Status SaneFrameReader::read(ScanRaster& page)
{
    page = ScanRaster();
    bool first = true;
    for (;;) {
        SANE_Parameters p;
        SANE_Status st = sane_get_parameters(m_handle, &p);
        if (st != SANE_STATUS_GOOD)
            return st;
        if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0)
            return SANE_STATUS_INVAL;
        std::vector<std::uint8_t> bytes;
        st = readFrameBytes(bytes);
        if (st != SANE_STATUS_GOOD)
            return st;
        // A hand scanner says -1 lines: the height is whatever arrived. A short
        // frame from a fixed-height device is padded below with white.
        const int rows = p.lines > 0 ? p.lines : int(bytes.size() / p.bytes_per_line);
        const bool separate = p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN ||
                              p.format == SANE_FRAME_BLUE;
        if (first) {
            page.width = p.pixels_per_line;
            page.height = rows;
            if (p.format == SANE_FRAME_GRAY && p.depth == 1) {
                page.channels = 1;
                page.bitsPerSample = 1;
                page.bytesPerLine = (page.width + 7) / 8;
            } else {
                page.channels = (p.format == SANE_FRAME_GRAY) ? 1 : 3;
                page.bitsPerSample = 8;
                page.bytesPerLine = page.width * page.channels;
            }
            const std::uint8_t white = page.isLineArt() ? 0x00 : 0xff;
            page.data.assign(size_t(page.bytesPerLine) * page.height, white);
            first = false;
        }
        const int height = std::min(rows, page.height);
        const int width = std::min(p.pixels_per_line, page.width);
        for (int y = 0; y < height; ++y) {
            if (size_t(y + 1) * p.bytes_per_line > bytes.size())
                break;
            const std::uint8_t* src = bytes.data() + size_t(y) * p.bytes_per_line;
            std::uint8_t* dst = page.data.data() + size_t(y) * page.bytesPerLine;
            if (page.isLineArt()) {
                std::memcpy(dst, src, std::min<size_t>(page.bytesPerLine, p.bytes_per_line));
            } else if (separate) {
                const int c = channelOf(p.format);
                for (int x = 0; x < width; ++x)
                    dst[3 * x + c] = sample8(src, x, p.depth);
            } else {
                const int n = width * page.channels;
                for (int i = 0; i < n; ++i)
                    dst[i] = sample8(src, i, p.depth);
            }
        }
        if (p.last_frame)
            return SANE_STATUS_GOOD;
        st = sane_start(m_handle);
        if (st != SANE_STATUS_GOOD)
            return st;
    }
}
