#include "TiffWriter.h"

#include "../TwainDefs.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace {

// Per-handle handlers: the application's own libtiff users keep theirs, and a
// failure only sets the flag that write() reports.
int noteError(TIFF*, void* failed, const char*, const char*, va_list)
{
    *static_cast<bool*>(failed) = true;
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

bool setTags(TIFF* tif, const ScanRaster& page, int compression, int quality)
{
    const bool colour = page.channels == 3;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(page.width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(page.height)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, std::uint16_t(page.bitsPerSample)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(page.channels)) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, std::uint16_t(compression));
    if (!ok)
        return false;

    std::uint16_t photometric = page.isLineArt() ? PHOTOMETRIC_MINISWHITE
                                : colour         ? PHOTOMETRIC_RGB
                                                 : PHOTOMETRIC_MINISBLACK;
    if (compression == COMPRESSION_JPEG) {
        // Colour goes in as RGB rows and is stored as subsampled YCbCr, the
        // usual and much smaller form of JPEG inside TIFF.
        if (colour)
            photometric = PHOTOMETRIC_YCBCR;
        ok = TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
             TIFFSetField(tif, TIFFTAG_JPEGQUALITY, quality) &&
             (!colour || TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB));
    } else {
        ok = TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        // Differencing neighbours lets LZW and deflate find far more runs in
        // scanned tones; it means nothing for one-bit pages.
        if (ok && !page.isLineArt() &&
            (compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE))
            ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    }
    if (!ok)
        return false;

    if (page.xDpi > 0.0 && page.yDpi > 0.0) {
        ok = TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
             TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(page.xDpi)) &&
             TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(page.yDpi));
        if (!ok)
            return false;
    }

    // Strips of about 256 KiB: few enough for speed, small enough for readers.
    const std::uint32_t rowBytes = std::uint32_t(TIFFScanlineSize(tif));
    const std::uint32_t rows = std::max<std::uint32_t>(1, (256u << 10) / std::max(rowBytes, 1u));
    return TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, rows));
}

} // namespace

int TiffWriter::compressionFor(const ScanRaster& page, int twainCompression)
{
    switch (twainCompression) {
    case TWCP_NONE:
        return COMPRESSION_NONE;
    case TWCP_PACKBITS:
        return COMPRESSION_PACKBITS;
    case TWCP_LZW:
        return COMPRESSION_LZW;
    case TWCP_ZIP:
    case TWCP_PNG:
        return COMPRESSION_ADOBE_DEFLATE;
    case TWCP_JPEG:
        return page.isLineArt() ? COMPRESSION_CCITTFAX4 : COMPRESSION_JPEG;
    case TWCP_GROUP4:
        return page.isLineArt() ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW;
    default:
        return -1;
    }
}

TiffWriter::~TiffWriter()
{
    if (m_tif)
        TIFFClose(m_tif);
}

bool TiffWriter::begin(const ScanRaster& shape, int fd, int compression, int quality)
{
    if (m_tif || m_failed)
        return false;
    // libtiff closes the descriptor it was given; the caller still needs its own.
    const int own = dup(fd);
    TIFFOpenOptions* options = own >= 0 ? TIFFOpenOptionsAlloc() : nullptr;
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options, noteError, &m_failed);
        TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreWarning, nullptr);
        m_tif = TIFFFdOpenExt(own, "scan", "w", options);
        TIFFOpenOptionsFree(options);
    }
    if (!m_tif) {
        if (own >= 0)
            close(own);
        m_failed = true;
        return false;
    }
    m_height = std::uint32_t(shape.height);
    if (!setTags(m_tif, shape, compression, quality)) {
        m_failed = true;
        return false;
    }
    // A row the caller hands in holds the page's samples and nothing more.
    const std::size_t used = std::size_t(TIFFScanlineSize(m_tif));
    if (used > (std::size_t(shape.width) * shape.channels * shape.bitsPerSample + 7) / 8)
        m_failed = true;
    m_row.resize(std::max<std::size_t>(used, 1));
    return !m_failed;
}

bool TiffWriter::row(const std::uint8_t* data)
{
    if (!m_tif || m_failed || m_next >= m_height)
        return false;
    // Some codecs (predictors, bit reversal) rewrite the row they are given, so
    // each row is handed over as a copy and the page stays untouched.
    std::memcpy(m_row.data(), data, m_row.size());
    if (TIFFWriteScanline(m_tif, m_row.data(), m_next++, 0) != 1)
        m_failed = true;
    return !m_failed;
}

bool TiffWriter::finish()
{
    if (!m_tif || m_failed || m_next != m_height)
        return false;
    const bool flushed = TIFFFlush(m_tif) == 1;
    TIFFClose(m_tif);
    m_tif = nullptr;
    m_failed = m_failed || !flushed;
    return !m_failed;
}
