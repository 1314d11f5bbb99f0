#pragma once

#include <Magick++.h>
#include <QImage>
#include <QString>
#include <QStringList>

// Format conversion and multi-page output through Magick++. The written format
// always follows the destination's extension. Every function catches Magick++
// errors at the file boundary, logs them with the path and reports failure by
// its result; a destination that exists is replaced only by a complete file.
// Sources are taken as shown (turned by their EXIF orientation), so what is
// written carries orientation 1.
namespace ImageMagickHelper {

// Reads source and writes it to destination (which may be the same path).
// False when the source cannot be read, is not a valid image, or writing fails.
bool convertImage(const QString& source, const QString& destination);

// Writes the readable sources, in order, as the pages of one file (multi-page
// TIFF for ".tif", PDF for ".pdf"), a page at a time (see PageMerge); every
// frame of a multi-page source is kept. Sources that cannot be read are
// skipped and logged. False when no page was kept or writing failed.
bool mergeToMultiPage(const QStringList& sources, const QString& destination);

// One PDF page per image; JPEG files go in with their bytes unchanged.
bool images2Pdf(const QStringList& sources, const QString& destination);

// The decoded image as shown, as an 8-bit RGB QImage (alpha is dropped, grey
// and 16-bit images are expanded/reduced; sides swapped for a quarter-turn
// orientation); a null image on failure.
QImage toQImage(const Magick::Image& image);

} // namespace ImageMagickHelper
