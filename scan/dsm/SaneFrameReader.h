#pragma once

// Reads one page from a SANE device whose first frame is started into a
// ScanRaster: grey and RGB frames, three-pass scanners' separate red, green and
// blue frames (interleaved here), 16-bit samples (reduced to 8), line-art (kept
// as packed bits) and hand scanners that only know the height at the end.

#include "ScanRaster.h"

#include <sane/sane.h>

class SaneFrameReader
{
public:
    explicit SaneFrameReader(SANE_Handle handle) : m_handle(handle) {}

    // SANE_STATUS_GOOD with the page in `page`, or the status that stopped it.
    SANE_Status read(ScanRaster& page);

private:
    static void storeRow(ScanRaster& page, int y, const std::uint8_t* src, const SANE_Parameters& p,
                         bool growing);

    SANE_Handle m_handle;
};
