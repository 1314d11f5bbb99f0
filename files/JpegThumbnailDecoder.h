#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>

// Page thumbnails of JPEG files straight through libjpeg. A scanned page is
// mostly entropy-coded data, so the decoder asks for the smallest DCT scale
// that still covers the thumbnail, the fast integer transform and no fancy
// upsampling, and has the library write grey pages as 8-bit grey and colour
// pages in the byte order of QImage::Format_RGB32, so no conversion follows.
// The EXIF orientation is applied: the thumbnail shows the page as shown.
namespace JpegThumbnailDecoder {

enum class Outcome
{
    Decoded,   // image holds the thumbnail
    Damaged,   // a JPEG file cut short
    NotHandled // not a JPEG, or one left to the general reader (CMYK, 12-bit, other damage)
};

// True when data starts like a JPEG file.
bool looksLikeJpeg(const unsigned char* data, std::size_t size);

// The page in data fitted into box, keeping its aspect ratio; never enlarged.
Outcome decode(const unsigned char* data, std::size_t size, const QSize& box, QImage* image);

} // namespace JpegThumbnailDecoder
