#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QVector>
#include <opencv2/core.hpp>

// Operations on a rectangle or on four corner points of a page. Rectangles come
// from a rubber-band drag: the working rectangle is anchored at QRect::topLeft()
// with the absolute width and height, then clipped to the image. A rectangle
// that is empty after clipping leaves the image unchanged. Whenever nothing
// changes, `src` itself is returned (sharing its pixels); no operation writes
// into `src`.
namespace ImageHelper {

// The working rectangle of `rect` clipped to an image of `size` (may be empty).
cv::Rect workingRect(const QRect& rect, const cv::Size& size);

// View of the working rectangle; shares pixels with `src`.
cv::Mat crop(const cv::Mat& src, const QRect& rect);

// Copy of `src` with the working rectangle filled with `background`
// (blue, green, red; a grey image receives the blue value).
cv::Mat clearInside(const cv::Mat& src, const QRect& rect, const QColor& background);

// Copy of `src` with everything outside rows top..top+height and columns
// left..left+width (inclusive) filled with `background` (grey images: 255).
cv::Mat clearOutside(const cv::Mat& src, const QRect& rect, const QColor& background);

// Copy of `src` with `clip` placed at the rectangle's top-left corner, limited
// to the target size (width() - 1 by height() - 1) and to the image.
cv::Mat pasteRegion(const cv::Mat& src, const cv::Mat& clip, const QRect& rect);

// Rectifies the quadrilateral top-left, top-right, bottom-right, bottom-left
// into an upright image; anything but four usable corners returns `src`.
cv::Mat perspectiveCorrect(const cv::Mat& src, const QVector<QPoint>& corners);

// Finds the page by its outermost edge points (its diagonal corners when the
// page lies nearly square to the image) and rectifies it (colour only).
cv::Mat autoCorrect(const cv::Mat& src);

} // namespace ImageHelper
