#pragma once

#include "stDisplayScale.h"

#include <QImage>
#include <QSize>
#include <opencv2/core.hpp>

// The page as the view shows it: the full-size matrix scaled, keeping its
// aspect ratio, into the viewport less a 60-pixel border (fitted) or by the
// kept zoom factor. Scaling the matrix before converting it keeps a page turn
// of a 300 dpi A4 scan fast: only the displayed pixels are ever converted.
class PageDisplay
{
public:
    static constexpr int kFitBorder = 60;

    // The size the page is scaled into; at least 1 x 1.
    static QSize targetSize(const QSize& full, const QSize& viewport, bool keepScale, double zoom);

    // Scales full into target keeping the aspect ratio (area averaging when
    // shrinking); scale receives the display ratios and the zoom factor (the
    // smaller ratio). A null image for an empty or unsupported matrix.
    static QImage scaled(const cv::Mat& full, const QSize& target, stDisplayScale* scale);
};
