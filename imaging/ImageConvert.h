#pragma once

#include <Magick++.h>
#include <QImage>
#include <opencv2/core.hpp>

// Conversions between the engine's matrix (8-bit, grey or blue-green-red),
// Magick++ images (for encoding with a resolution) and QImage (for display).
namespace ImageHelper {

// An 8-bit image ready for writing: grey matrices become grey images (map "I"),
// colour ones RGB. Empty or unsupported matrices give an invalid image.
Magick::Image matToMagick(const cv::Mat& mat);

// Exactly three channels (plain RGB) give a 3-channel matrix; grey, grey with
// alpha, colour with alpha and CMYK give a 1-channel grey matrix. Empty on failure.
cv::Mat magickToMat(Magick::Image image);

// Channel count as the engine counts it: grey 1, CMYK 4, otherwise 3, plus one for alpha.
int magickChannels(const Magick::Image& image);

// A display image that owns its pixels; null for matrix types it cannot show.
QImage matToQImage(const cv::Mat& mat);

} // namespace ImageHelper
