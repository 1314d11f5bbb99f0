#pragma once

#include "RasterFrame.h"

#include <QString>

// Reads the frames of a page file one at a time, as shown (EXIF orientation
// applied), keeping what a lossless copy needs: bilevel pages as 1 bit,
// 16-bit samples, alpha and the resolution. CMYK comes out as RGB. A damaged
// file (cut off, corrupt data the decoder would fill with grey) is refused.
namespace FrameReader {

// Number of frames (pages) of the file; 0 when it cannot be read.
int frameCount(const QString& path);

// Frame index (0-based) of path into out; false and a reason in *error on failure.
bool read(const QString& path, int index, RasterFrame& out, QString* error = nullptr);

} // namespace FrameReader
