#pragma once

#include <Magick++.h>

// Resolution of a Magick++ image in whole dots per inch, whatever unit the
// file stores it in.
namespace MagickResolution {

// Truncated toward zero; 0, 0 when the file records none. Files that store
// pixels per centimetre (PNG, BMP) are converted to inches first; the
// conversion's rounding noise (150 dpi is stored as 5905 px/m and reads back as
// 149.987 dpi) is absorbed before truncating, so 300 stays 300 while 299.9 gives 299.
void read(const Magick::Image& image, int& dpiX, int& dpiY);

// Stores dpiX x dpiY with the unit "pixels per inch"; without the unit a
// JPEG would record a bare aspect ratio.
void write(Magick::Image& image, int dpiX, int dpiY);

} // namespace MagickResolution
