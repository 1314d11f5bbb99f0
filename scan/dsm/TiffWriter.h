#pragma once

#include "ScanRaster.h"

#include <vector>

struct tiff;

// Encodes a page as a single-image TIFF, a row at a time: colour as 8-bit RGB, grey
// as 8-bit MINISBLACK, line art as 1-bit MINISWHITE so the scanner's set bits stay
// black. libtiff's messages go nowhere but the results of these calls.
class TiffWriter
{
public:
    // The libtiff compression scheme for a TWAIN compression on this kind of
    // page, or -1 when the writer does not offer it. Line art asking for JPEG
    // gets CCITT Group 4; a grey or colour page asking for Group 4 gets LZW.
    static int compressionFor(const ScanRaster& page, int twainCompression);

    TiffWriter() = default;
    ~TiffWriter();
    TiffWriter(const TiffWriter&) = delete;
    TiffWriter& operator=(const TiffWriter&) = delete;

    // Starts a page of shape's size, kind and resolution (its data is not read)
    // on a file descriptor the caller keeps open (and closes). quality is a
    // libjpeg quality, used by JPEG compression. Every call returns false once
    // the encoder or a write has failed.
    bool begin(const ScanRaster& shape, int fd, int compression, int quality);
    // The next row, in the page's own layout (packed bits for line art).
    bool row(const std::uint8_t* data);
    // Ends the page once every row is in.
    bool finish();

private:
    tiff* m_tif = nullptr;
    bool m_failed = false;
    std::uint32_t m_next = 0;
    std::uint32_t m_height = 0;
    std::vector<std::uint8_t> m_row;
};
