#pragma once

// Writes a page to the file a TWAIN file transfer asked for while its rows are
// still arriving, so encoding overlaps the scan. The file gets the guarantees of
// writeScanFile: a temporary file in the target folder, renamed into place
// without replacing anything at finish(), and nothing left behind otherwise.
// JFIF and TIFF are written top to bottom and can stream; BMP cannot (its rows
// are stored bottom-up).

#include "JfifWriter.h"
#include "ScanFileTarget.h"
#include "ScanFileWriter.h"
#include "TiffWriter.h"

#include <cstdio>

class ScanFileStream
{
public:
    static bool streams(TW_UINT16 format) { return format == TWFF_JFIF || format == TWFF_TIFF; }

    // Whether the request can be written for pages of shape's kind (its data is
    // not read): TWCC_SUCCESS with the libtiff compression and libjpeg quality
    // to use, or TWCC_BADVALUE.
    static TW_UINT16 encoding(const ScanRaster& shape, const ScanFileRequest& request,
                              int& compression, int& quality);

    ScanFileStream() = default;
    ~ScanFileStream() { abort(); }
    ScanFileStream(const ScanFileStream&) = delete;
    ScanFileStream& operator=(const ScanFileStream&) = delete;

    // Opens the temporary file and starts the encoder for a page of this shape
    // (bitsPerSample 1 only for one channel). The condition codes of writeScanFile.
    TW_UINT16 begin(const ScanFileRequest& request, int width, int height, int channels,
                    int bitsPerSample, double xDpi, double yDpi);
    // The next row in ScanRaster's layout, at least width * channels *
    // bitsPerSample bits. False once writing has failed; later rows are ignored.
    bool row(const std::uint8_t* data);
    // After the last row: TWCC_SUCCESS with the file in place, or
    // TWCC_FILEWRITEERROR / TWCC_FILEEXISTS with nothing left behind.
    TW_UINT16 finish();
    // Gives the page up; nothing is left behind.
    void abort();

private:
    enum class Stage
    {
        Idle,
        Writing,
        Failed
    };

    Stage m_stage = Stage::Idle;
    TW_UINT16 m_format = 0;
    ScanFileTarget m_target;
    std::FILE* m_out = nullptr; // JFIF goes through stdio on its own descriptor
    JfifWriter m_jfif;
    TiffWriter m_tiff;
};
