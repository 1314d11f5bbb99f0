#pragma once

#include <QByteArray>

// One decoded page as a writer of PDF or TIFF takes it: rows of interleaved
// samples, grey or RGB, alpha last when present, no padding between rows.
// 1-bit rows are packed from the high bit, 0 black; 16-bit samples are in the
// machine's byte order.
struct RasterFrame
{
    int width = 0;
    int height = 0;
    int channels = 0; // 1 grey, 2 grey + alpha, 3 RGB, 4 RGB + alpha
    int bits = 8;     // 1 (grey only), 8 or 16
    int dpiX = 0;     // 0 when the file records none
    int dpiY = 0;
    QByteArray pixels;

    bool hasAlpha() const { return channels == 2 || channels == 4; }
    int colourChannels() const { return hasAlpha() ? channels - 1 : channels; }
    int bytesPerRow() const { return (width * channels * bits + 7) / 8; }
};
