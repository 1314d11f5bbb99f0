#include "PageGeometry.h"

#include <cstdlib>

namespace ImageHelper {

namespace {

// Offset into the source and the length kept along one axis.
struct Span
{
    int from;
    int length;
};

Span keptSpan(int sourceLength, int targetLength)
{
    if (targetLength < sourceLength)
        return {(sourceLength - targetLength) / 2, targetLength};
    return {0, sourceLength};
}

} // namespace

cv::Mat resizeToPage(const cv::Mat& src, int widthPx, int heightPx, int centred)
{
    if (widthPx <= 0 || heightPx <= 0)
        return cv::Mat();
    cv::Mat page(heightPx, widthPx, src.type(), cv::Scalar(255, 255, 255, 0));
    if (src.empty())
        return page;

    const Span rows = keptSpan(src.rows, heightPx);
    const Span cols = keptSpan(src.cols, widthPx);
    const cv::Rect from(cols.from, rows.from, cols.length, rows.length);
    cv::Point to(0, 0);
    if (centred)
        to = cv::Point((widthPx - cols.length) / 2, (heightPx - rows.length) / 2);
    src(from).copyTo(page(cv::Rect(to, from.size())));
    return page;
}

cv::Mat clearMargins(const cv::Mat& src, int top, int bottom, int left, int right,
                     const QColor& background)
{
    cv::Mat out = src.clone();
    if (out.empty() || out.depth() != CV_8U)
        return out;
    const int innerHeight = std::abs(out.rows - top - bottom);
    const int innerWidth = std::abs(out.cols - left - right);
    // Inside is [top, top + innerHeight] x [left, left + innerWidth], both ends kept.
    const int keepTop = std::max(top, 0);
    const int keepBottom = std::min(top + innerHeight, out.rows - 1);
    const int keepLeft = std::max(left, 0);
    const int keepRight = std::min(left + innerWidth, out.cols - 1);

    cv::Scalar paint;
    if (out.channels() == 3)
        paint = cv::Scalar(background.blue(), background.green(), background.red());
    else if (out.channels() == 1)
        paint = cv::Scalar(255);
    else
        return out;

    if (keepTop > keepBottom || keepLeft > keepRight) {
        out.setTo(paint);
        return out;
    }
    // Four bands around the kept rectangle: full-width top and bottom, then the sides.
    const int keptRows = keepBottom - keepTop + 1;
    out(cv::Rect(0, 0, out.cols, keepTop)).setTo(paint);
    out(cv::Rect(0, keepBottom + 1, out.cols, out.rows - keepBottom - 1)).setTo(paint);
    out(cv::Rect(0, keepTop, keepLeft, keptRows)).setTo(paint);
    out(cv::Rect(keepRight + 1, keepTop, out.cols - keepRight - 1, keptRows)).setTo(paint);
    return out;
}

} // namespace ImageHelper
