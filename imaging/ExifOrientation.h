#pragma once

#include <cstddef>
#include <opencv2/core.hpp>

namespace Magick {
class Image;
}

// The EXIF orientation (tag 0x0112) of phone and camera captures: how the
// stored pixels must be turned or mirrored to show the picture the operator
// sees. Every reader applies it, so every path works on the same picture, and
// no page is written with an orientation other than 1.
namespace ExifOrientation {

// 1..8 from the payload of a JPEG APP1 segment ("Exif\0\0", then a TIFF
// header and IFD0). Anything else, truncated or out of range gives 1; no byte
// outside [data, data + size) is read.
int fromApp1(const unsigned char* data, std::size_t size);

// Whether the picture as shown has width and height swapped (5 to 8).
bool swapsSides(int orientation);

// The size of the picture as shown.
cv::Size shownSize(const cv::Size& stored, int orientation);

// Puts the stored rows [firstRow, firstRow + rows.rows) of a picture that is
// storedRows high into their place in shown (already of the shown size and
// type), so a decoder can turn a page strip by strip without a second
// full-size buffer.
void placeRows(const cv::Mat& rows, int firstRow, int storedRows, int orientation, cv::Mat& shown);

// Turns a decoded image to how it is shown (resolution pair included) and
// records orientation 1, so a later write neither keeps nor re-applies the tag.
void upright(Magick::Image& image);

} // namespace ExifOrientation
