#include "ColourBoxReplace.h"

#include <opencv2/core/hal/intrin.hpp>

namespace ImageHelper::detail {

namespace {

void replaceRow(const uchar* s, uchar* d, int cols, const cv::Vec3b& lo, const cv::Vec3b& hi,
                const cv::Vec3b& colour)
{
    int x = 0;
#if CV_SIMD
    const int lanes = cv::v_uint8::nlanes;
    cv::v_uint8 vlo[3], vhi[3], vcol[3];
    for (int c = 0; c < 3; ++c) {
        vlo[c] = cv::vx_setall_u8(lo[c]);
        vhi[c] = cv::vx_setall_u8(hi[c]);
        vcol[c] = cv::vx_setall_u8(colour[c]);
    }
    for (; x <= cols - lanes; x += lanes) {
        cv::v_uint8 p[3];
        cv::v_load_deinterleave(s + 3 * x, p[0], p[1], p[2]);
        const cv::v_uint8 in = (p[0] >= vlo[0]) & (p[0] <= vhi[0]) & (p[1] >= vlo[1]) &
                               (p[1] <= vhi[1]) & (p[2] >= vlo[2]) & (p[2] <= vhi[2]);
        cv::v_store_interleave(d + 3 * x, cv::v_select(in, vcol[0], p[0]),
                               cv::v_select(in, vcol[1], p[1]), cv::v_select(in, vcol[2], p[2]));
    }
#endif
    for (; x < cols; ++x) {
        const uchar* p = s + 3 * x;
        const bool in = p[0] >= lo[0] && p[0] <= hi[0] && p[1] >= lo[1] && p[1] <= hi[1] &&
                        p[2] >= lo[2] && p[2] <= hi[2];
        for (int c = 0; c < 3; ++c)
            d[3 * x + c] = in ? colour[c] : p[c];
    }
}

void replaceGreyRow(const uchar* s, uchar* d, int cols, uchar lo, uchar hi, uchar value)
{
    int x = 0;
#if CV_SIMD
    const int lanes = cv::v_uint8::nlanes;
    const cv::v_uint8 vlo = cv::vx_setall_u8(lo), vhi = cv::vx_setall_u8(hi);
    const cv::v_uint8 vval = cv::vx_setall_u8(value);
    for (; x <= cols - lanes; x += lanes) {
        const cv::v_uint8 p = cv::vx_load(s + x);
        cv::v_store(d + x, cv::v_select((p >= vlo) & (p <= vhi), vval, p));
    }
#endif
    for (; x < cols; ++x)
        d[x] = s[x] >= lo && s[x] <= hi ? value : s[x];
}

} // namespace

void replaceColourBox(const cv::Mat& src, cv::Mat& dst, const cv::Vec3b& lo, const cv::Vec3b& hi,
                      const cv::Vec3b& colour)
{
    CV_Assert(src.type() == CV_8UC3 && dst.type() == CV_8UC3 && src.size() == dst.size());
    cv::parallel_for_(cv::Range(0, src.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y)
            replaceRow(src.ptr<uchar>(y), dst.ptr<uchar>(y), src.cols, lo, hi, colour);
    });
}

void replaceGreyRange(const cv::Mat& src, cv::Mat& dst, uchar lo, uchar hi, uchar value)
{
    CV_Assert(src.type() == CV_8UC1 && dst.type() == CV_8UC1 && src.size() == dst.size());
    cv::parallel_for_(cv::Range(0, src.rows), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y)
            replaceGreyRow(src.ptr<uchar>(y), dst.ptr<uchar>(y), src.cols, lo, hi, value);
    });
}

} // namespace ImageHelper::detail
