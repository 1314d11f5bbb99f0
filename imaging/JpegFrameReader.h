#pragma once

#include "RasterFrame.h"

#include <QString>

// JPEG pages decoded straight through libjpeg into 8-bit grey or RGB rows, as
// shown (EXIF orientation applied): several times faster than the general
// image reader and without its 16-bit pixel cache, which made converting and
// merging scans slower than the command-line tools. Files it does not decode
// exactly (CMYK, 12-bit samples, unusual colour spaces) are left to the
// general reader; damaged data is refused, never filled in.
namespace JpegFrameReader {

enum class Status
{
    Read,
    NotHandled, // not a JPEG this reader decodes; out is empty
    Damaged,    // cut off or corrupt data; out is empty
};

Status read(const QString& path, RasterFrame& out, QString* error = nullptr);

} // namespace JpegFrameReader
