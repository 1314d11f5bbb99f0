#pragma once

#include <QByteArray>
#include <opencv2/core.hpp>
#include <vector>

// JPEG pages straight through libjpeg, without the 16-bit pixel cache of the
// general image reader: the batch's hot path for the commonest scan format.
// The shapes follow the page file rules: a grey file gives a 1-channel
// matrix, a colour (YCbCr or RGB) file a 3-channel blue-green-red one.
// Decoded pages are turned by their EXIF orientation, as shown; encoded ones
// carry none.
namespace JpegPageCodec {

// The encoding every rewritten JPEG page gets: the image library's default
// page quality, and no chroma subsampling at that quality.
constexpr int kQuality = 92;

// False, with out empty, for anything it does not decode exactly: not a JPEG,
// CMYK or other colour spaces, 12-bit samples, and damaged data (any decoder
// warning such as a truncated file or corrupt entropy data).
bool decode(const QByteArray& data, cv::Mat& out);

// An 8-bit 1- or 3-channel matrix as a baseline JPEG with a JFIF resolution
// in dots per inch; a resolution of 0 records none. False for other matrices.
bool encode(const cv::Mat& image, int dpiX, int dpiY, std::vector<unsigned char>& out);

} // namespace JpegPageCodec
