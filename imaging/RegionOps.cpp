#include "RegionOps.h"

#include "RegionToneDetail.h"

#include <QDebug>
#include <cstdlib>
#include <opencv2/imgproc.hpp>

namespace ImageHelper {

using detail::forEachBandOutside;
using detail::guarded;

namespace {

// Colour scalar (blue, green, red, 0); a grey image uses only its first value.
cv::Scalar bgrScalar(const QColor& colour)
{
    return cv::Scalar(colour.blue(), colour.green(), colour.red(), 0);
}

// The clipboard image in the image's channel layout, or empty when the two
// cannot be matched.
cv::Mat matchChannels(const cv::Mat& clip, int type)
{
    if (clip.type() == type)
        return clip;
    if (clip.depth() != CV_MAT_DEPTH(type))
        return {};
    const int from = clip.channels();
    const int to = CV_MAT_CN(type);
    int code = -1;
    if (from == 1 && to == 3)
        code = cv::COLOR_GRAY2BGR;
    else if (from == 1 && to == 4)
        code = cv::COLOR_GRAY2BGRA;
    else if (from == 3 && to == 1)
        code = cv::COLOR_BGR2GRAY;
    else if (from == 3 && to == 4)
        code = cv::COLOR_BGR2BGRA;
    else if (from == 4 && to == 1)
        code = cv::COLOR_BGRA2GRAY;
    else if (from == 4 && to == 3)
        code = cv::COLOR_BGRA2BGR;
    if (code < 0)
        return {};
    cv::Mat out;
    cv::cvtColor(clip, out, code);
    return out;
}

} // namespace

cv::Rect workingRect(const QRect& rect, const cv::Size& size)
{
    const cv::Rect r(rect.topLeft().x(), rect.topLeft().y(), std::abs(rect.width()),
                     std::abs(rect.height()));
    return r & cv::Rect(0, 0, size.width, size.height);
}

cv::Mat crop(const cv::Mat& src, const QRect& rect)
{
    qDebug() << "ImageHelper::crop" << rect.topLeft() << rect.width() << rect.height();
    const cv::Rect r = workingRect(rect, src.size());
    if (r.empty())
        return src;
    return src(r);
}

cv::Mat clearInside(const cv::Mat& src, const QRect& rect, const QColor& background)
{
    return guarded(src, [&]() -> cv::Mat {
        const cv::Rect r = workingRect(rect, src.size());
        if (r.empty())
            return src;
        // Each pixel is written once: copied outside the rectangle, filled inside.
        cv::Mat out(src.size(), src.type());
        forEachBandOutside(src.size(), r,
                           [&](const cv::Rect& band) { src(band).copyTo(out(band)); });
        out(r).setTo(bgrScalar(background));
        return out;
    });
}

cv::Mat clearOutside(const cv::Mat& src, const QRect& rect, const QColor& background)
{
    return guarded(src, [&]() -> cv::Mat {
        if (workingRect(rect, src.size()).empty())
            return src;
        const int channels = src.channels();
        if (channels != 1 && channels != 3)
            return src;
        // Inclusive bounds: the kept area is one row and one column larger.
        const cv::Rect keep = cv::Rect(rect.topLeft().x(), rect.topLeft().y(),
                                       std::abs(rect.width()) + 1, std::abs(rect.height()) + 1) &
                              cv::Rect(0, 0, src.cols, src.rows);
        const cv::Scalar fill = channels == 1 ? cv::Scalar::all(255) : bgrScalar(background);
        cv::Mat out(src.size(), src.type());
        forEachBandOutside(src.size(), keep, [&](const cv::Rect& band) { out(band).setTo(fill); });
        src(keep).copyTo(out(keep));
        return out;
    });
}

cv::Mat pasteRegion(const cv::Mat& src, const cv::Mat& clip, const QRect& rect)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.empty() || clip.empty())
            return src;
        // The rectangle is the pasted item's bounding box: its corner-to-corner
        // distance is the clipboard image's size.
        const int w = rect.width() < 1 ? 1 - rect.width() : rect.width() - 1;
        const int h = rect.height() < 1 ? 1 - rect.height() : rect.height() - 1;
        const cv::Point at(rect.topLeft().x(), rect.topLeft().y());
        const cv::Rect target =
            cv::Rect(at.x, at.y, std::min(w, clip.cols), std::min(h, clip.rows)) &
            cv::Rect(0, 0, src.cols, src.rows);
        if (target.empty())
            return src;
        const cv::Mat part = matchChannels(clip(target - at), src.type());
        if (part.empty()) {
            qWarning() << "pasteRegion: clipboard image type" << clip.type() << "does not fit"
                       << src.type();
            return src;
        }
        cv::Mat out = src.clone();
        part.copyTo(out(target));
        return out;
    });
}

} // namespace ImageHelper
