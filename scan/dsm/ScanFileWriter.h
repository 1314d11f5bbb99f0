#pragma once

// Writes a scanned page as the file a TWAIN file transfer asked for. The file is
// written under a temporary name in the target folder and then renamed into place
// without replacing anything, so a failed or interrupted write never leaves a
// half-written page, and an existing page is never overwritten.

#include "ScanRaster.h"
#include "../TwainDefs.h"

#include <string>

struct ScanFileRequest {
    std::string path;                  // target, UTF-8
    TW_UINT16 format = TWFF_BMP;       // TWFF_BMP, TWFF_TIFF or TWFF_JFIF
    TW_UINT16 compression = TWCP_NONE; // used by TIFF
    TW_INT16 jpegQuality = TWJQ_MEDIUM;
};

// Returns a TWAIN condition code: TWCC_SUCCESS, TWCC_FILEEXISTS (target taken,
// nothing written), TWCC_DENIED (folder not writable), TWCC_BADVALUE (format or
// compression this writer does not offer for that kind of page) or
// TWCC_FILEWRITEERROR (encoder or disk failure; no file left behind).
TW_UINT16 writeScanFile(const ScanRaster& page, const ScanFileRequest& request);

// Turns the page clockwise by quarter turns (ICAP_ORIENTATION): 0, 1, 2 or 3.
void rotateScanRaster(ScanRaster& page, int quarterTurns);
