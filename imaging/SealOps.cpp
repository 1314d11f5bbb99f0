#include "RegionOps.h"
#include "RegionToneDetail.h"
#include "ToneOps.h"

namespace ImageHelper {

namespace {

// Writes every pixel of `dst` (same size as `src`, 3 channels): pure seal
// colour where channel `main` >= threshold and the other two <= kSealMaxOther,
// else the source pixel. `main` is 2 (red) or 0 (blue).
void sealPass(const cv::Mat& src, cv::Mat& dst, int main, int threshold)
{
    const int other = 2 - main;
    uchar seal[3] = {0, 0, 0};
    seal[main] = 255;
    cv::parallel_for_(cv::Range(0, src.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            const uchar* s = src.ptr<uchar>(y);
            uchar* d = dst.ptr<uchar>(y);
            for (int x = 0; x < 3 * src.cols; x += 3) {
                const bool isSeal = s[x + main] >= threshold && s[x + 1] <= kSealMaxOther &&
                                    s[x + other] <= kSealMaxOther;
                d[x] = isSeal ? seal[0] : s[x];
                d[x + 1] = isSeal ? seal[1] : s[x + 1];
                d[x + 2] = isSeal ? seal[2] : s[x + 2];
            }
        }
    });
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
    return sealWhole(src, 2, kSealThresholdRed);
}

cv::Mat redSealDeep(const cv::Mat& src, const QRect& rect)
{
    return sealInRect(src, rect, 2, kSealThresholdRed);
}

cv::Mat blueSealDeep(const cv::Mat& src, const QRect& rect)
{
    return sealInRect(src, rect, 0, kSealThresholdBlue);
}

} // namespace ImageHelper
