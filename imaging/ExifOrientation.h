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

// The matrix as shown for the orientation; 1 and unknown values return it as it is.
cv::Mat apply(const cv::Mat& stored, int orientation);

// Turns a decoded image to how it is shown (resolution pair included) and
// records orientation 1, so a later write neither keeps nor re-applies the tag.
void upright(Magick::Image& image);

} // namespace ExifOrientation
