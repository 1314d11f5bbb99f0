#pragma once

// Internal to the tone operations.

#include <opencv2/core.hpp>

namespace ImageHelper::detail {

// Writes every pixel of `dst` from `src` (both 8-bit, 3 channels, same size):
// `colour` where each channel c lies in lo[c]..hi[c] (inclusive), else the
// source pixel. One pass, vectorised, rows in parallel.
void replaceColourBox(const cv::Mat& src, cv::Mat& dst, const cv::Vec3b& lo, const cv::Vec3b& hi,
                      const cv::Vec3b& colour);

// The same for 8-bit, 1-channel images: `value` where lo <= pixel <= hi.
void replaceGreyRange(const cv::Mat& src, cv::Mat& dst, uchar lo, uchar hi, uchar value);

} // namespace ImageHelper::detail
