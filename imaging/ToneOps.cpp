#include "ToneOps.h"

#include "ColourBoxReplace.h"
#include "RegionToneDetail.h"

#include <opencv2/imgproc.hpp>

namespace ImageHelper {

using detail::guarded;

namespace {

// The 2 x 2 cross used to thin or thicken strokes (anchor at its centre, 1, 1).
const cv::Mat& strokeElement()
{
    static const cv::Mat element = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(2, 2));
    return element;
}

// 256-entry table: saturate(value * factor), rounded to nearest.
cv::Mat scaleTable(float factor)
{
    cv::Mat table(1, 256, CV_8U);
    for (int i = 0; i < 256; ++i)
        table.at<uchar>(i) = cv::saturate_cast<uchar>(static_cast<float>(i) * factor);
    return table;
}

// Multiplies the S plane of an 8-bit HSV image in place through `table`.
void scaleSaturation(cv::Mat& hsv, const cv::Mat& table)
{
    const uchar* lut = table.ptr<uchar>();
    cv::parallel_for_(cv::Range(0, hsv.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            uchar* p = hsv.ptr<uchar>(y);
            for (int x = 0; x < hsv.cols; ++x)
                p[3 * x + 1] = lut[p[3 * x + 1]];
        }
    });
}

// BGR -> HSV, S through `table`, HSV -> BGR.
cv::Mat withSaturation(const cv::Mat& bgr, float factor)
{
    cv::Mat hsv;
    cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
    scaleSaturation(hsv, scaleTable(factor));
    cv::Mat out;
    cv::cvtColor(hsv, out, cv::COLOR_HSV2BGR);
    return out;
}

// saturate(gain * value + offset) into a new matrix.
cv::Mat contrastOf(const cv::Mat& src, float gain, int offset)
{
    cv::Mat out;
    src.convertTo(out, src.type(), gain, offset);
    return out;
}

// Luminance of a 3- or 4-channel image into a new matrix.
cv::Mat luminanceOf(const cv::Mat& src)
{
    cv::Mat grey;
    cv::cvtColor(src, grey, src.channels() == 3 ? cv::COLOR_BGR2GRAY : cv::COLOR_BGRA2GRAY);
    return grey;
}

} // namespace

cv::Mat clearBackground(const cv::Mat& src, const QColor& background)
{
    return setBackgroundColour(src, background);
}

cv::Mat setBackgroundColour(const cv::Mat& src, const QColor& colour)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.empty() || src.depth() != CV_8U || (src.channels() != 1 && src.channels() != 3))
            return src;
        cv::Mat out(src.size(), src.type());
        if (src.channels() == 1) {
            detail::replaceGreyRange(src, out, kNearWhite, 255, 255);
            return out;
        }
        const cv::Vec3b bgr(static_cast<uchar>(colour.blue()), static_cast<uchar>(colour.green()),
                            static_cast<uchar>(colour.red()));
        detail::replaceColourBox(src, out, cv::Vec3b::all(kNearWhite), cv::Vec3b::all(255), bgr);
        return out;
    });
}

cv::Mat contentLight(const cv::Mat& src)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.empty())
            return src;
        cv::Mat out;
        cv::dilate(src, out, strokeElement(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
                   cv::morphologyDefaultBorderValue());
        return out;
    });
}

cv::Mat contentDeep(const cv::Mat& src)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.empty())
            return src;
        cv::Mat out;
        cv::erode(src, out, strokeElement(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
                  cv::morphologyDefaultBorderValue());
        return out;
    });
}

cv::Mat binarize(const cv::Mat& src)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.empty() || src.channels() < 3 || src.depth() != CV_8U)
            return src;
        // Not through the guarded public steps: their fallback on failure is
        // src itself, and the in-place steps below would then write into it.
        cv::Mat grey = luminanceOf(contrastOf(src, 1.1f, 0));
        cv::GaussianBlur(grey, grey, cv::Size(5, 5), 0);
        cv::dilate(grey, grey, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)),
                   cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
        cv::Mat bw;
        cv::adaptiveThreshold(grey, bw, 255, cv::ADAPTIVE_THRESH_GAUSSIAN_C, cv::THRESH_BINARY, 11,
                              9);
        // Soften the stroke edges again, then close small gaps in the strokes.
        cv::GaussianBlur(bw, bw, cv::Size(5, 5), 0);
        cv::erode(bw, bw, cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3)),
                  cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
        return bw;
    });
}

cv::Mat adjustContrast(const cv::Mat& src, float gain, int offset)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.empty() || src.channels() == 1)
            return src;
        return contrastOf(src, gain, offset);
    });
}

cv::Mat adjustSaturation(const cv::Mat& src, float factor)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.channels() != 3 || src.depth() != CV_8U || factor == 1.0f)
            return src;
        return withSaturation(src, factor);
    });
}

cv::Mat adjustColour(const cv::Mat& src, float contrast, int brightness, float saturation)
{
    return guarded(src, [&]() -> cv::Mat {
        if (src.channels() != 3 || src.depth() != CV_8U)
            return src;
        // Neutral steps are skipped: the HSV round trip alone would alter pixels.
        // A fresh output: converting into a header that shares src's pixels
        // would write the caller's image.
        cv::Mat out = src;
        if (contrast != 1.0f || brightness != 0) {
            out = cv::Mat();
            src.convertTo(out, src.type(), contrast, brightness);
        }
        if (saturation != 1.0f)
            out = withSaturation(out, saturation);
        return out;
    });
}

cv::Mat toGray(const cv::Mat& src)
{
    return guarded(src, [&]() -> cv::Mat {
        const int channels = src.channels();
        if (src.empty() || (channels != 3 && channels != 4))
            return src;
        return luminanceOf(src);
    });
}

} // namespace ImageHelper
