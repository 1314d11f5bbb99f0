#pragma once

#include "ScanRaster.h"

// Encodes a page as a single-image TIFF: colour as 8-bit RGB, grey as 8-bit
// MINISBLACK, line art as 1-bit MINISWHITE so the scanner's set bits stay black.
class TiffWriter
{
public:
    // The libtiff compression scheme for a TWAIN compression on this kind of
    // page, or -1 when the writer does not offer it. Line art asking for JPEG
    // gets CCITT Group 4; a grey or colour page asking for Group 4 gets LZW.
    static int compressionFor(const ScanRaster& page, int twainCompression);

    // Writes to a file descriptor the caller keeps open (and closes). quality is
    // a libjpeg quality, used by JPEG compression. Returns false on any encoder
    // or write error; libtiff's messages go nowhere but this result.
    static bool write(const ScanRaster& page, int fd, int compression, int quality);
};
