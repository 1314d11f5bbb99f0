#pragma once

#include <QColor>
#include <opencv2/core.hpp>

// Operations on the physical page: its pixel size and its margins. Sizes are in
// pixels here; callers turn the operator's millimetres into pixels with the
// page's own resolution (mmToPixels, Units.h).
namespace ImageHelper {

// A page of exactly widthPx x heightPx, same type as the input, never scaled:
// a larger target pads with white, a smaller one cuts. With centred non-zero
// the kept area sits in the middle and equal amounts are cut from both sides
// (the odd pixel from the far side); otherwise the page keeps its top-left corner.
// A non-positive target size gives an empty matrix.
cv::Mat resizeToPage(const cv::Mat& src, int widthPx, int heightPx, int centred);

// A copy with everything outside the inner rectangle painted with background
// (3 channels) or 255 (1 channel). Rows y < top or y > top + innerHeight and
// columns x < left or x > left + innerWidth are painted, where innerHeight =
// |rows - top - bottom| and innerWidth = |cols - left - right|: the boundary row
// and column on the far sides belong to the kept area. Margins larger than the page
// therefore still give a defined result instead of an error.
cv::Mat clearMargins(const cv::Mat& src, int top, int bottom, int left, int right,
                     const QColor& background = QColor(255, 255, 255));

} // namespace ImageHelper
