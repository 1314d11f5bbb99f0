#pragma once

#include <QString>
#include <tiffio.h>

// Opens TIFF files with handlers of their own for libtiff's errors and
// warnings. The process-wide handlers are Magick++'s once it has read a
// TIFF: they refer to the state of its last read and abort the program when
// libtiff reports anything outside one (a damaged page, a full disk).
namespace QuietTiff {

// TIFFOpen with the file's own handlers: errors are logged, warnings dropped.
TIFF* open(const QString& path, const char* mode);

// The options that install those handlers, for TIFFClientOpenExt.
TIFFOpenOptions* options();

} // namespace QuietTiff
