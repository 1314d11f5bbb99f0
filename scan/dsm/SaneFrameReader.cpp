#include "SaneFrameReader.h"

#include <algorithm>
#include <cstring>

namespace {

// How long the last read of a frame waits for the backend's reader to end: a
// reader with the rest in its pipe ends in microseconds; one still waiting for
// the device is cancelled as before once this has passed.
constexpr int kLastBytesWaitMs = 250;

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

void SaneFrameReader::storeRow(ScanRaster& page, int y, const std::uint8_t* src,
                               const SANE_Parameters& p, bool growing)
{
    if (y >= page.height) {
        if (!growing)
            return; // more rows than announced: the announced page wins
        page.height = y + 1;
        page.data.resize(size_t(page.bytesPerLine) * page.height, page.isLineArt() ? 0x00 : 0xff);
    }
    std::uint8_t* dst = page.data.data() + size_t(y) * page.bytesPerLine;
    const int width = std::min(p.pixels_per_line, page.width);
    if (page.isLineArt()) {
        std::memcpy(dst, src, std::min<size_t>(page.bytesPerLine, p.bytes_per_line));
    } else if (p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN ||
               p.format == SANE_FRAME_BLUE) {
        const int c = channelOf(p.format);
        for (int x = 0; x < width; ++x)
            dst[3 * x + c] = sample8(src, x, p.depth);
    } else if (p.depth == 8) {
        // The usual case: rows come as the file wants them.
        std::memcpy(dst, src, size_t(width) * page.channels);
    } else {
        const int n = width * page.channels;
        for (int i = 0; i < n; ++i)
            dst[i] = sample8(src, i, p.depth);
    }
}

void SaneFrameReader::beforeRead(long long left)
{
    // Once the rest of the frame fits in the reader's pipe, the reader can write
    // it and end; the read that takes the last bytes makes the backend cancel it.
    if (!m_threads || m_waited || left < 0 || left > ReaderThreads::kPipeBytes)
        return;
    m_waited = true;
    m_threads->waitForEnd(kLastBytesWaitMs);
}

SANE_Status SaneFrameReader::readStraight(ScanRaster& page, const RowDone& rowDone)
{
    // The usual page: one frame whose rows are already the page's own, read
    // straight into place without copying or clearing the page first.
    const size_t total = size_t(page.bytesPerLine) * page.height;
    page.data.resize(total);
    std::vector<std::uint8_t> surplus; // rows past the announced height are dropped
    size_t got = 0;
    int told = 0;
    for (;;) {
        const bool intoPage = got < total;
        if (!intoPage)
            surplus.resize(65536);
        std::uint8_t* into = intoPage ? page.data.data() + got : surplus.data();
        const size_t room = intoPage ? total - got : surplus.size();
        SANE_Int len = 0;
        beforeRead(intoPage ? (long long)(total - got) : 0);
        const SANE_Status st =
            sane_read(m_handle, into, SANE_Int(std::min<size_t>(room, 1 << 20)), &len);
        if (st == SANE_STATUS_EOF)
            break;
        if (st != SANE_STATUS_GOOD)
            return st;
        if (intoPage)
            got += size_t(len);
        for (const int whole = int(got / size_t(page.bytesPerLine)); rowDone && told < whole;)
            rowDone(page, told++);
    }
    // Rows a device announces but never sends are white, a cut-off row too.
    const size_t kept = got - got % size_t(page.bytesPerLine);
    std::fill(page.data.begin() + std::ptrdiff_t(kept), page.data.end(),
              page.isLineArt() ? 0x00 : 0xff);
    return SANE_STATUS_GOOD;
}

SANE_Status SaneFrameReader::read(ScanRaster& page, const RowDone& rowDone)
{
    // The buffer of the previous page is kept: a fresh block for every page costs
    // more in page faults than the encoder spends on it.
    std::vector<std::uint8_t> reuse;
    reuse.swap(page.data);
    page = ScanRaster();
    page.data.swap(reuse);
    bool first = true;
    std::vector<std::uint8_t> buffer(65536);
    for (;;) {
        SANE_Parameters p;
        SANE_Status st = sane_get_parameters(m_handle, &p);
        if (st != SANE_STATUS_GOOD)
            return st;
        if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0)
            return SANE_STATUS_INVAL;
        // A hand scanner says -1 lines: its page grows until the data ends (the
        // later frames of a three-pass scan then keep the first one's height).
        const bool growing = first && p.lines < 0;
        const bool tell = rowDone && first && p.last_frame && p.lines > 0 &&
                          (p.format == SANE_FRAME_GRAY || p.format == SANE_FRAME_RGB);
        if (first) {
            page.width = p.pixels_per_line;
            page.height = std::max(0, p.lines);
            if (p.format == SANE_FRAME_GRAY && p.depth == 1) {
                page.channels = 1;
                page.bitsPerSample = 1;
                page.bytesPerLine = (page.width + 7) / 8;
            } else {
                page.channels = (p.format == SANE_FRAME_GRAY) ? 1 : 3;
                page.bitsPerSample = 8;
                page.bytesPerLine = page.width * page.channels;
            }
            first = false;
            if (p.last_frame && p.lines > 0 && p.bytes_per_line == page.bytesPerLine &&
                (p.format == SANE_FRAME_GRAY || (p.format == SANE_FRAME_RGB && p.depth == 8)))
                return readStraight(page, tell ? rowDone : RowDone());
            // Rows a device announces but never sends stay white.
            page.data.assign(size_t(page.bytesPerLine) * page.height,
                             page.isLineArt() ? 0x00 : 0xff);
        }
        // Rows are assembled whole, however sane_read happens to cut the data.
        std::vector<std::uint8_t> row(size_t(p.bytes_per_line));
        size_t filled = 0;
        int y = 0;
        const long long frameBytes = p.lines > 0 ? (long long)p.bytes_per_line * p.lines : -1;
        long long consumed = 0;
        m_waited = false;
        for (;;) {
            SANE_Int len = 0;
            beforeRead(frameBytes < 0 ? -1 : frameBytes - consumed);
            st = sane_read(m_handle, buffer.data(), SANE_Int(buffer.size()), &len);
            if (st == SANE_STATUS_EOF)
                break;
            if (st != SANE_STATUS_GOOD)
                return st;
            consumed += len;
            for (SANE_Int i = 0; i < len;) {
                const size_t take = std::min(row.size() - filled, size_t(len - i));
                std::memcpy(row.data() + filled, buffer.data() + i, take);
                filled += take;
                i += SANE_Int(take);
                if (filled == row.size()) {
                    storeRow(page, y, row.data(), p, growing);
                    if (tell && y < page.height)
                        rowDone(page, y);
                    ++y;
                    filled = 0;
                }
            }
        }
        if (p.last_frame)
            return SANE_STATUS_GOOD;
        if (m_threads)
            m_threads->beforeStart();
        st = sane_start(m_handle);
        if (m_threads)
            m_threads->afterStart();
        if (st != SANE_STATUS_GOOD)
            return st;
    }
}
