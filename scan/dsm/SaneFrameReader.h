#pragma once

// Reads one page from a SANE device whose first frame is started into a
// ScanRaster: grey and RGB frames, three-pass scanners' separate red, green and
// blue frames (interleaved here), 16-bit samples (reduced to 8), line-art (kept
// as packed bits) and hand scanners that only know the height at the end.

#include "ReaderThreads.h"
#include "ScanRaster.h"

#include <functional>
#include <sane/sane.h>

class SaneFrameReader
{
public:
    // `threads` are the backend's threads for the started frame, waited for before
    // the read that ends a frame (see ReaderThreads); may be null.
    explicit SaneFrameReader(SANE_Handle handle, ReaderThreads* threads = nullptr)
        : m_handle(handle), m_threads(threads)
    {
    }

    // Told of row y as soon as it is complete in `page`, rows in order, for a
    // page that comes in one frame of a known height (the rows of a hand
    // scanner's or a three-pass page change until the end and are not told).
    using RowDone = std::function<void(const ScanRaster& page, int y)>;

    // SANE_STATUS_GOOD with the page in `page`, or the status that stopped it.
    // Rows the device announced but did not send are never told.
    SANE_Status read(ScanRaster& page, const RowDone& rowDone = {});

private:
    SANE_Status readStraight(ScanRaster& page, const RowDone& rowDone);
    static void storeRow(ScanRaster& page, int y, const std::uint8_t* src, const SANE_Parameters& p,
                         bool growing);

    // Before a read with `left` bytes of the frame still to come.
    void beforeRead(long long left);

    SANE_Handle m_handle;
    ReaderThreads* m_threads;
    bool m_waited = false;
};
