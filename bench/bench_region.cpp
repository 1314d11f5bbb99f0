// Region operations on the shared A4 page, colour (argument 0) and grey
// (argument 1), each followed by the bare OpenCV primitives it is built from
// ("region/floor/...").
#include "BenchPages.h"
#include "RegionOps.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

namespace {

const QRect kSelection(200, 300, 2000, 2800);
const cv::Rect kSelectionCv(200, 300, 2000, 2800);
const QColor kBackground(250, 250, 240);
const cv::Scalar kBackgroundBgr(240, 250, 250);
const QVector<QPoint> kCorners = {{150, 120}, {2330, 160}, {2300, 3390}, {120, 3360}};
const cv::Rect kPasteCv(900, 1500, 1200, 800);

// The page, a little smaller and skewed, lying on a dark scanner lid.
const cv::Mat& scan(bool grey)
{
    static const cv::Mat colour = [] {
        const cv::Mat& page = BenchPages::page(false);
        cv::Mat out;
        const cv::Mat m = cv::getRotationMatrix2D({1240.f, 1754.f}, 1.5, 0.9);
        cv::warpAffine(page, out, m, page.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                       cv::Scalar::all(25));
        return out;
    }();
    static const cv::Mat greyScan = [] {
        cv::Mat g;
        cv::cvtColor(colour, g, cv::COLOR_BGR2GRAY);
        return g;
    }();
    return grey ? greyScan : colour;
}

const cv::Mat& clip(bool grey)
{
    static const cv::Mat colour = BenchPages::page(false)(cv::Rect(300, 400, 1200, 800)).clone();
    static const cv::Mat greyClip = BenchPages::page(true)(cv::Rect(300, 400, 1200, 800)).clone();
    return grey ? greyClip : colour;
}

template <typename Op> void run(benchmark::State& state, Op op)
{
    const bool grey = state.range(0) != 0;
    const cv::Mat& src = BenchPages::page(grey);
    for (auto _ : state) {
        cv::Mat out = op(src, grey);
        benchmark::DoNotOptimize(out.data);
    }
}

// REGION_BENCH(name, body): body maps `src` (grey when `grey`) to the result.
#define REGION_BENCH(name, ...)                                                                    \
    void name(benchmark::State& state)                                                             \
    {                                                                                              \
        run(state, [](const cv::Mat& src, bool grey) -> cv::Mat {                                  \
            (void)grey;                                                                            \
            __VA_ARGS__;                                                                           \
        });                                                                                        \
    }                                                                                              \
    BENCHMARK(name)                                                                                \
        ->Name("region/" #name)                                                                    \
        ->Arg(0)                                                                                   \
        ->Arg(1)                                                                                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()

REGION_BENCH(crop, return ImageHelper::crop(src, kSelection));

REGION_BENCH(clearInside, return ImageHelper::clearInside(src, kSelection, kBackground));
REGION_BENCH(floor_clone_setTo, {
    cv::Mat out = src.clone();
    out(kSelectionCv).setTo(kBackgroundBgr);
    return out;
});

REGION_BENCH(clearOutside, return ImageHelper::clearOutside(src, kSelection, kBackground));
REGION_BENCH(floor_fill_copyTo, {
    cv::Mat out(src.size(), src.type(), kBackgroundBgr);
    src(kSelectionCv).copyTo(out(kSelectionCv));
    return out;
});

REGION_BENCH(pasteRegion,
             return ImageHelper::pasteRegion(src, clip(grey), QRect(900, 1500, 1201, 801)));
REGION_BENCH(floor_clone_copyTo, {
    cv::Mat out = src.clone();
    clip(grey).copyTo(out(kPasteCv));
    return out;
});

REGION_BENCH(perspectiveCorrect, return ImageHelper::perspectiveCorrect(src, kCorners));
REGION_BENCH(floor_warpPerspective, {
    const cv::Point2f from[4] = {{150, 120}, {2330, 160}, {2300, 3390}, {120, 3360}};
    const cv::Point2f to[4] = {{0, 0}, {2180, 0}, {2180, 3230}, {0, 3230}};
    cv::Mat out;
    cv::warpPerspective(src, out, cv::getPerspectiveTransform(from, to), cv::Size(2180, 3230),
                        cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return out;
});

REGION_BENCH(autoCorrect, return ImageHelper::autoCorrect(scan(grey)));
REGION_BENCH(floor_autoCorrect_chain, {
    const cv::Mat& in = scan(grey);
    if (in.channels() != 3)
        return in;
    cv::Mat g, edges, out;
    cv::cvtColor(in, g, cv::COLOR_BGR2GRAY);
    cv::equalizeHist(g, g);
    cv::GaussianBlur(g, g, cv::Size(5, 5), 0);
    cv::Canny(g, edges, 50, 150);
    cv::dilate(edges, edges, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(edges, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    std::vector<cv::Point> all;
    for (const auto& c : contours)
        all.insert(all.end(), c.begin(), c.end());
    const cv::Rect box = cv::boundingRect(all);
    const cv::Point2f from[4] = {
        box.tl(), {float(box.br().x), float(box.y)}, box.br(), {float(box.x), float(box.br().y)}};
    const cv::Point2f to[4] = {{0, 0},
                               {float(box.width), 0},
                               {float(box.width), float(box.height)},
                               {0, float(box.height)}};
    cv::warpPerspective(in, out, cv::getPerspectiveTransform(from, to), box.size(),
                        cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return out;
});

} // namespace
