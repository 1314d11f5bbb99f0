#pragma once

// One scanned page as it comes off the device, before it is written to a file.
// Rows are packed top to bottom, bytesPerLine bytes each. Colour pages are RGB
// interleaved, 8 bits per sample. Line-art pages keep SANE's convention: one
// bit per pixel, most significant bit first, and a set bit is black.

#include <cstdint>
#include <vector>

struct ScanRaster {
    int width = 0;
    int height = 0;
    int channels = 1;       // 1 (grey or line-art) or 3 (RGB)
    int bitsPerSample = 8;  // 1 or 8
    int bytesPerLine = 0;
    double xDpi = 0.0;
    double yDpi = 0.0;
    std::vector<std::uint8_t> data;

    bool isLineArt() const { return bitsPerSample == 1; }
};
