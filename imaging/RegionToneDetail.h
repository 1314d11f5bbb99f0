#pragma once

// Internal helpers of the region and tone operations; not part of the engine API.

#include <QDebug>
#include <QString>
#include <exception>
#include <opencv2/core.hpp>

namespace ImageHelper::detail {

// Runs one engine operation; an exception (OpenCV error, out of memory) is
// logged and `fallback` returned, so no exception leaves the engine.
template <typename Op> cv::Mat guarded(const cv::Mat& fallback, Op&& op)
{
    try {
        return op();
    } catch (const std::exception& e) {
        qWarning().noquote() << QStringLiteral("Caught exception: ") +
                                    QString::fromLocal8Bit(e.what());
        return fallback;
    }
}

// Calls fn(band) for the up to four rectangles of an image of `size` that lie
// outside `inner` (which must lie inside the image): full-width bands above and
// below it, and the left and right parts of its rows.
template <typename Fn> void forEachBandOutside(const cv::Size& size, const cv::Rect& inner, Fn&& fn)
{
    const cv::Rect bands[] = {
        {0, 0, size.width, inner.y},
        {0, inner.y + inner.height, size.width, size.height - inner.y - inner.height},
        {0, inner.y, inner.x, inner.height},
        {inner.x + inner.width, inner.y, size.width - inner.x - inner.width, inner.height},
    };
    for (const cv::Rect& band : bands) {
        if (!band.empty())
            fn(band);
    }
}

} // namespace ImageHelper::detail
