#pragma once

#include <opencv2/core.hpp>

// Decodes a JPEG straight through libjpeg into a matrix as shown: turned by its
// EXIF orientation, untagged pages row by row and tagged ones through a strip
// of rows turned into place, so no second page-sized buffer is needed.
namespace JpegScanDecoder {

enum class Order
{
    Rgb, // the page files' raster order
    Bgr, // OpenCV's
};

// A grey file gives a 1-channel matrix, a YCbCr or RGB one 3 channels in
// order. out keeps its buffer when it already has the shown size and type, so
// a caller's memory is filled in place. False for anything not decoded
// exactly: not a JPEG, CMYK and other colour spaces, 12-bit samples, and
// damaged data (any decoder warning).
bool decode(const unsigned char* data, unsigned long size, Order order, cv::Mat& out);

} // namespace JpegScanDecoder
