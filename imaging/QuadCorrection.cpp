#include "RegionOps.h"
#include "RegionToneDetail.h"

#include <QDebug>
#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ImageHelper {

namespace {

using Quad = std::array<cv::Point2f, 4>; // top-left, top-right, bottom-right, bottom-left

// How much more area (5 %) the diagonal corners must enclose to replace the axis extremes.
constexpr double kBetterCornerArea = 1.05;

double quadArea(const Quad& q)
{
    return cv::contourArea(std::vector<cv::Point2f>(q.begin(), q.end()));
}

cv::Mat warpQuad(const cv::Mat& src, const Quad& p)
{
    const double w = std::max(cv::norm(p[2] - p[3]), cv::norm(p[0] - p[1]));
    const double h = std::max(cv::norm(p[1] - p[2]), cv::norm(p[0] - p[3]));
    const int width = static_cast<int>(w);
    const int height = static_cast<int>(h);
    if (width < 1 || height < 1)
        return src;
    const cv::Point2f dst[4] = {{0.f, 0.f},
                                {static_cast<float>(width), 0.f},
                                {static_cast<float>(width), static_cast<float>(height)},
                                {0.f, static_cast<float>(height)}};
    const cv::Mat m = cv::getPerspectiveTransform(p.data(), dst, cv::DECOMP_LU);
    // Three collinear corners give no transform; keep the page rather than smear it.
    if (!cv::checkRange(m) || std::abs(cv::determinant(m)) < 1e-12)
        return src;
    cv::Mat out;
    cv::warpPerspective(src, out, m, cv::Size(width, height), cv::INTER_LINEAR,
                        cv::BORDER_REPLICATE);
    return out;
}

} // namespace

cv::Mat perspectiveCorrect(const cv::Mat& src, const QVector<QPoint>& corners)
{
    return detail::guarded(src, [&]() -> cv::Mat {
        if (corners.size() != 4 || src.empty())
            return src;
        Quad q;
        for (int i = 0; i < 4; ++i)
            q[i] =
                cv::Point2f(static_cast<float>(corners[i].x()), static_cast<float>(corners[i].y()));
        return warpQuad(src, q);
    });
}

cv::Mat autoCorrect(const cv::Mat& src)
{
    return detail::guarded(src, [&]() -> cv::Mat {
        if (src.empty() || src.type() != CV_8UC3)
            return src;
        cv::Mat grey;
        cv::cvtColor(src, grey, cv::COLOR_BGR2GRAY);
        cv::equalizeHist(grey, grey);
        cv::GaussianBlur(grey, grey, cv::Size(5, 5), 0);
        cv::Mat edges;
        cv::Canny(grey, edges, 50, 150, 3, false);
        cv::dilate(edges, edges, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)),
                   cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
        std::vector<std::vector<cv::Point>> contours;
        std::vector<cv::Vec4i> hierarchy;
        cv::findContours(edges, contours, hierarchy, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        qDebug() << "findContours:" << contours.size() << hierarchy.size();

        // Outermost edge points; the first point to reach an extreme keeps it.
        // The diagonal extremes (smallest and largest x + y and x - y) are the
        // page's corners whenever it is turned by less than 45 degrees.
        bool any = false;
        cv::Point minX, maxX, minY, maxY, minSum, maxSum, minDiff, maxDiff;
        for (const auto& contour : contours) {
            for (const cv::Point& pt : contour) {
                if (!any) {
                    minX = maxX = minY = maxY = minSum = maxSum = minDiff = maxDiff = pt;
                    any = true;
                    continue;
                }
                if (pt.x < minX.x)
                    minX = pt;
                if (pt.x > maxX.x)
                    maxX = pt;
                if (pt.y < minY.y)
                    minY = pt;
                if (pt.y > maxY.y)
                    maxY = pt;
                if (pt.x + pt.y < minSum.x + minSum.y)
                    minSum = pt;
                if (pt.x + pt.y > maxSum.x + maxSum.y)
                    maxSum = pt;
                if (pt.x - pt.y < minDiff.x - minDiff.y)
                    minDiff = pt;
                if (pt.x - pt.y > maxDiff.x - maxDiff.y)
                    maxDiff = pt;
            }
        }
        if (!any)
            return src;
        std::array<cv::Point, 4> byY = {minY, minX, maxX, maxY};
        std::stable_sort(byY.begin(), byY.end(),
                         [](const cv::Point& a, const cv::Point& b) { return a.y < b.y; });
        // Within each pair the smaller x is the left corner; on equal x the second one.
        const bool upperInOrder = byY[0].x < byY[1].x;
        const bool lowerInOrder = byY[2].x < byY[3].x;
        const cv::Point tl = upperInOrder ? byY[0] : byY[1];
        const cv::Point tr = upperInOrder ? byY[1] : byY[0];
        const cv::Point bl = lowerInOrder ? byY[2] : byY[3];
        const cv::Point br = lowerInOrder ? byY[3] : byY[2];
        const Quad quad = {cv::Point2f(tl), cv::Point2f(tr), cv::Point2f(br), cv::Point2f(bl)};
        // On a page lying almost square to the image the axis extremes are
        // arbitrary points along its nearly flat edges (on a square page two
        // of them fall on one corner), and the quadrilateral cuts the page.
        // The diagonal corners then enclose clearly more of it.
        const Quad diagonal = {cv::Point2f(minSum), cv::Point2f(maxDiff), cv::Point2f(maxSum),
                               cv::Point2f(minDiff)};
        if (quadArea(diagonal) > kBetterCornerArea * quadArea(quad))
            return warpQuad(src, diagonal);
        return warpQuad(src, quad);
    });
}

} // namespace ImageHelper
