#pragma once

#include "ScanRaster.h"

#include <cstdio>

// Encodes a page as a Windows bitmap: colour as 24-bit BGR, grey as 8-bit with a
// grey palette, line art as 1-bit whose palette makes index 1 black, so the
// scanner's bits are stored as they came. Rows are written bottom-up straight
// from the page, each padded to four bytes.
class BmpWriter
{
public:
    // Writes to an open stream; false on a write error or a page too large for the
    // format's 32-bit sizes.
    static bool write(const ScanRaster& page, std::FILE* out);
};
