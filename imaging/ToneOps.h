#pragma once

#include <QColor>
#include <QRect>
#include <opencv2/core.hpp>

// Pixel-value operations that make scanned pages legible. Each returns a matrix
// of the input's size; operations that need colour return grey input as it is
// (sharing its pixels). Empty input is returned as it is.
namespace ImageHelper {

// A colour pixel is background when blue, green and red are all at least this.
constexpr int kNearWhite = 220;
// Minimum red (blue) of a red (blue) seal pixel; the other two must not exceed
// kSealMaxOther.
constexpr int sealThresholdRed = 200;
constexpr int sealThresholdBlue = 200;
constexpr int kSealMaxOther = 127;

// Near-white pixels become `background` (grey images: pixels >= 220 become 255).
cv::Mat clearBackground(const cv::Mat& src, const QColor& background);
// The same rule with an explicitly chosen colour.
cv::Mat setBackgroundColour(const cv::Mat& src, const QColor& colour);

// Thinner (contentLight) or thicker (contentDeep) dark strokes: one dilation or
// erosion with a 2 x 2 cross.
cv::Mat contentLight(const cv::Mat& src);
cv::Mat contentDeep(const cv::Mat& src);

// Seal pixels (red >= 200, green and blue <= 127) become pure red, on the whole
// page or inside the working rectangle only.
cv::Mat redSealDeep(const cv::Mat& src);
cv::Mat redSealDeep(const cv::Mat& src, const QRect& rect);
// Blue seal pixels (blue >= 200, green and red <= 127) in the rectangle become pure blue.
cv::Mat blueSealDeep(const cv::Mat& src, const QRect& rect);

// Black-and-white page (1 channel) from colour input.
cv::Mat binarize(const cv::Mat& src);
// saturate(gain * value + offset) per channel.
cv::Mat adjustContrast(const cv::Mat& src, float gain, int offset);
// HSV saturation times `factor`, rounded and clamped to 0..255.
cv::Mat adjustSaturation(const cv::Mat& src, float factor);
// Contrast gain and brightness offset, then saturation factor.
cv::Mat adjustColour(const cv::Mat& src, float contrast, int brightness, float saturation);
// Luminance of a colour image; grey input is returned as it is.
cv::Mat toGray(const cv::Mat& src);

} // namespace ImageHelper
