#include "ColourBoxReplace.h"
#include "RegionOps.h"
#include "RegionToneDetail.h"
#include "ToneOps.h"

namespace ImageHelper {

namespace {

// Seal pixels of `src` become pure red (main channel 2) or pure blue (0) in
// `dst`: the main channel at least `threshold`, the other two at most kSealMaxOther.
void sealPass(const cv::Mat& src, cv::Mat& dst, int main, int threshold)
{
    cv::Vec3b lo(0, 0, 0), hi(kSealMaxOther, kSealMaxOther, kSealMaxOther), seal(0, 0, 0);
    lo[main] = static_cast<uchar>(threshold);
    hi[main] = 255;
    seal[main] = 255;
    detail::replaceColourBox(src, dst, lo, hi, seal);
}

bool sealApplies(const cv::Mat& src)
{
    return src.channels() == 3 && src.depth() == CV_8U;
}

cv::Mat sealWhole(const cv::Mat& src, int main, int threshold)
{
    return detail::guarded(src, [&]() -> cv::Mat {
        if (!sealApplies(src))
            return src;
        cv::Mat out(src.size(), src.type());
        sealPass(src, out, main, threshold);
        return out;
    });
}

cv::Mat sealInRect(const cv::Mat& src, const QRect& rect, int main, int threshold)
{
    return detail::guarded(src, [&]() -> cv::Mat {
        const cv::Rect r = workingRect(rect, src.size());
        if (!sealApplies(src) || r.empty())
            return src;
        cv::Mat out(src.size(), src.type());
        detail::forEachBandOutside(src.size(), r,
                                   [&](const cv::Rect& band) { src(band).copyTo(out(band)); });
        cv::Mat area = out(r);
        sealPass(src(r), area, main, threshold);
        return out;
    });
}

} // namespace

cv::Mat redSealDeep(const cv::Mat& src)
{
    return sealWhole(src, 2, sealThresholdRed);
}

cv::Mat redSealDeep(const cv::Mat& src, const QRect& rect)
{
    return sealInRect(src, rect, 2, sealThresholdRed);
}

cv::Mat blueSealDeep(const cv::Mat& src, const QRect& rect)
{
    return sealInRect(src, rect, 0, sealThresholdBlue);
}

} // namespace ImageHelper
