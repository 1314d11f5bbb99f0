#pragma once

#include "RasterFrame.h"

#include <QString>

// Frames of the plain TIFF pages scanners and this program write (grey or
// RGB, 1, 8 or 16 bits, interleaved, upright) decoded straight through
// libtiff, a strip at a time, instead of through the general reader's 16-bit
// pixel cache. Anything else (palettes, CMYK, YCbCr, alpha, planes, a turned
// orientation) is left to the general reader; data libtiff cannot decode is
// refused.
namespace TiffFrameReader {

enum class Status
{
    Read,
    NotHandled, // out is empty
    Damaged,    // out is empty
};

Status read(const QString& path, int index, RasterFrame& out, QString* error = nullptr);

} // namespace TiffFrameReader
