// Region operations on an A4 page at 300 dpi (2480 x 3508), colour (argument 3)
// and grey (argument 1), each next to the OpenCV primitives it is built from.
#include "RegionOps.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

namespace {

cv::Mat makeScan(int channels)
{
    // A light page, skewed a little, on a dark scanner lid.
    cv::Mat scan(3508, 2480, CV_8UC3, cv::Scalar::all(25));
    cv::Point2f corner[4];
    cv::RotatedRect({1240.f, 1754.f}, {2200.f, 3200.f}, 1.5f).points(corner);
    const std::vector<cv::Point> outline(corner, corner + 4);
    cv::fillConvexPoly(scan, outline, cv::Scalar(228, 234, 238));
    for (int y = 400; y < 3200; y += 70)
        cv::putText(scan, "Archive 1957 No. 42 - item list and page record", {300, y},
                    cv::FONT_HERSHEY_SIMPLEX, 1.5, cv::Scalar(40, 40, 45), 3);
    if (channels == 1)
        cv::cvtColor(scan, scan, cv::COLOR_BGR2GRAY);
    return scan;
}

const cv::Mat& page(int channels)
{
    static const cv::Mat colour = makeScan(3);
    static const cv::Mat grey = makeScan(1);
    return channels == 1 ? grey : colour;
}

const QRect kSelection(200, 300, 2000, 2800);
const cv::Rect kSelectionCv(200, 300, 2000, 2800);
const QColor kBackground(250, 250, 240);
const QVector<QPoint> kCorners = {{150, 120}, {2330, 160}, {2300, 3390}, {120, 3360}};

template <typename Op> void run(benchmark::State& state, Op op)
{
    const cv::Mat& src = page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        cv::Mat out = op(src);
        benchmark::DoNotOptimize(out.data);
    }
}

#define REGION_BENCH(name, ...)                                                                    \
    void name(benchmark::State& state)                                                             \
    {                                                                                              \
        run(state, [](const cv::Mat& src) -> cv::Mat { __VA_ARGS__; });                            \
    }                                                                                              \
    BENCHMARK(name)->Arg(3)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()

REGION_BENCH(Region_crop, return ImageHelper::crop(src, kSelection));

REGION_BENCH(Region_clearInside, return ImageHelper::clearInside(src, kSelection, kBackground));
REGION_BENCH(Primitive_clone_setTo_inside, {
    cv::Mat out = src.clone();
    out(kSelectionCv).setTo(cv::Scalar(240, 250, 250));
    return out;
});

REGION_BENCH(Region_clearOutside, return ImageHelper::clearOutside(src, kSelection, kBackground));
REGION_BENCH(Primitive_fill_copyTo_inside, {
    cv::Mat out(src.size(), src.type(), cv::Scalar(240, 250, 250));
    src(kSelectionCv).copyTo(out(kSelectionCv));
    return out;
});

const cv::Mat& clip(int channels)
{
    static const cv::Mat colour = page(3)(cv::Rect(300, 400, 1200, 800)).clone();
    static const cv::Mat grey = page(1)(cv::Rect(300, 400, 1200, 800)).clone();
    return channels == 1 ? grey : colour;
}
REGION_BENCH(Region_pasteRegion, return ImageHelper::pasteRegion(src, clip(src.channels()),
                                                                 QRect(900, 1500, 1201, 801)));
REGION_BENCH(Primitive_clone_copyTo, {
    cv::Mat out = src.clone();
    clip(src.channels()).copyTo(out(cv::Rect(900, 1500, 1200, 800)));
    return out;
});

REGION_BENCH(Region_perspectiveCorrect, return ImageHelper::perspectiveCorrect(src, kCorners));
REGION_BENCH(Primitive_warpPerspective, {
    const cv::Point2f from[4] = {{150, 120}, {2330, 160}, {2300, 3390}, {120, 3360}};
    const cv::Point2f to[4] = {{0, 0}, {2180, 0}, {2180, 3230}, {0, 3230}};
    cv::Mat out;
    cv::warpPerspective(src, out, cv::getPerspectiveTransform(from, to), cv::Size(2180, 3230),
                        cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return out;
});

REGION_BENCH(Region_autoCorrect, return ImageHelper::autoCorrect(src));
REGION_BENCH(Primitive_autoCorrect_chain, {
    if (src.channels() != 3)
        return src;
    cv::Mat g, edges, out;
    cv::cvtColor(src, g, cv::COLOR_BGR2GRAY);
    cv::equalizeHist(g, g);
    cv::GaussianBlur(g, g, cv::Size(5, 5), 0);
    cv::Canny(g, edges, 50, 150);
    cv::dilate(edges, edges, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(edges, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    const cv::Rect box = cv::boundingRect(contours.front());
    const cv::Point2f from[4] = {
        box.tl(), {float(box.br().x), float(box.y)}, box.br(), {float(box.x), float(box.br().y)}};
    const cv::Point2f to[4] = {{0, 0},
                               {float(box.width), 0},
                               {float(box.width), float(box.height)},
                               {0, float(box.height)}};
    cv::warpPerspective(src, out, cv::getPerspectiveTransform(from, to), box.size(),
                        cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return out;
});

} // namespace
