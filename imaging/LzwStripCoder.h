#pragma once

#include "RasterFrame.h"

#include <QByteArray>

// Codes rows of a page as one TIFF strip, LZW with the horizontal predictor,
// exactly as libtiff codes it while writing, but into memory and on any
// thread: coding takes four fifths of the time of writing a scanned page, and
// the strips of a page are independent, so a writer codes them side by side
// and only stores the results in order.
namespace LzwStripCoder {

// The coded bytes of rows [firstRow, firstRow + rows) of frame (8 or 16 bits,
// any channel count) into out. False when libtiff refuses.
bool code(const RasterFrame& frame, int firstRow, int rows, QByteArray& out);

} // namespace LzwStripCoder
