#pragma once

#include "RasterFrame.h"

#include <QByteArray>
#include <QString>

// CCITT Group 4 coding of a bilevel page, the way PDF's CCITTFaxDecode with
// K -1 reads it (black is 1 in the coded rows, BlackIs1 false on the way out).
// libtiff holds the encoder; the page is written as a one-strip TIFF in a
// scratch file beside scratchBeside and its strip taken out.
namespace FaxGroup4 {

// frame: 1 bit per pixel, 0 black. False with a reason on failure.
bool encode(const RasterFrame& frame, const QString& scratchBeside, QByteArray& coded,
            QString* error = nullptr);

} // namespace FaxGroup4
