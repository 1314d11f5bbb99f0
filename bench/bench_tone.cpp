// Tone and colour operations on the shared A4 page, colour (argument 0) and grey
// (argument 1), each followed by the bare OpenCV primitives it is built from
// ("tone/floor/...").
#include "BenchPages.h"
#include "ToneOps.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

namespace {

const QRect kSelection(200, 300, 2000, 2800);
const cv::Mat kCross2 = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(2, 2));

template <typename Op> void run(benchmark::State& state, Op op)
{
    const cv::Mat& src = BenchPages::page(state.range(0) != 0);
    for (auto _ : state) {
        cv::Mat out = op(src);
        benchmark::DoNotOptimize(out.data);
    }
}

// TONE_BENCH(name, body): body maps `src` to the result.
#define TONE_BENCH(name, ...)                                                                      \
    void name(benchmark::State& state)                                                             \
    {                                                                                              \
        run(state, [](const cv::Mat& src) -> cv::Mat { __VA_ARGS__; });                            \
    }                                                                                              \
    BENCHMARK(name)                                                                                \
        ->Name("tone/" #name)                                                                      \
        ->Arg(0)                                                                                   \
        ->Arg(1)                                                                                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()

// The least any operation that writes a new page costs.
TONE_BENCH(floor_clone, return src.clone());

TONE_BENCH(clearBackground, return ImageHelper::clearBackground(src, QColor(250, 250, 240)));
TONE_BENCH(floor_inRange_setTo, {
    cv::Mat mask;
    cv::Mat out = src.clone();
    if (src.channels() == 3) {
        cv::inRange(src, cv::Scalar::all(220), cv::Scalar::all(255), mask);
        out.setTo(cv::Scalar(240, 250, 250), mask);
    } else {
        cv::threshold(src, mask, 219, 255, cv::THRESH_BINARY);
        cv::max(src, mask, out);
    }
    return out;
});

TONE_BENCH(contentLight, return ImageHelper::contentLight(src));
TONE_BENCH(floor_dilate, {
    cv::Mat out;
    cv::dilate(src, out, kCross2);
    return out;
});
TONE_BENCH(contentDeep, return ImageHelper::contentDeep(src));
TONE_BENCH(floor_erode, {
    cv::Mat out;
    cv::erode(src, out, kCross2);
    return out;
});

TONE_BENCH(redSealDeep_page, return ImageHelper::redSealDeep(src));
TONE_BENCH(redSealDeep_rect, return ImageHelper::redSealDeep(src, kSelection));
TONE_BENCH(blueSealDeep_rect, return ImageHelper::blueSealDeep(src, kSelection));
TONE_BENCH(floor_seal_inRange_setTo, {
    if (src.channels() != 3)
        return src;
    cv::Mat mask;
    cv::Mat out = src.clone();
    cv::inRange(src, cv::Scalar(0, 0, 200), cv::Scalar(127, 127, 255), mask);
    out.setTo(cv::Scalar(0, 0, 255), mask);
    return out;
});

TONE_BENCH(binarize, return ImageHelper::binarize(src));
TONE_BENCH(floor_binarize_chain, {
    if (src.channels() < 3)
        return src;
    cv::Mat c, g, bw;
    src.convertTo(c, -1, 1.1, 0);
    cv::cvtColor(c, g, cv::COLOR_BGR2GRAY);
    cv::GaussianBlur(g, g, cv::Size(5, 5), 0);
    cv::dilate(g, g, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
    cv::adaptiveThreshold(g, bw, 255, cv::ADAPTIVE_THRESH_GAUSSIAN_C, cv::THRESH_BINARY, 11, 9);
    cv::GaussianBlur(bw, bw, cv::Size(5, 5), 0);
    cv::erode(bw, bw, cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3)));
    return bw;
});

TONE_BENCH(adjustContrast, return ImageHelper::adjustContrast(src, 1.1f, 5));
TONE_BENCH(floor_convertTo, {
    if (src.channels() != 3)
        return src;
    cv::Mat out;
    src.convertTo(out, -1, 1.1, 5);
    return out;
});

TONE_BENCH(adjustSaturation, return ImageHelper::adjustSaturation(src, 1.4f));
TONE_BENCH(adjustColour, return ImageHelper::adjustColour(src, 1.1f, 5, 1.4f));
TONE_BENCH(floor_hsv_split_scale_merge, {
    if (src.channels() != 3)
        return src;
    cv::Mat hsv, out;
    std::vector<cv::Mat> planes;
    cv::cvtColor(src, hsv, cv::COLOR_BGR2HSV);
    cv::split(hsv, planes);
    planes[1].convertTo(planes[1], -1, 1.4);
    cv::merge(planes, hsv);
    cv::cvtColor(hsv, out, cv::COLOR_HSV2BGR);
    return out;
});

TONE_BENCH(toGray, return ImageHelper::toGray(src));
TONE_BENCH(floor_cvtColor_gray, {
    if (src.channels() != 3)
        return src;
    cv::Mat g;
    cv::cvtColor(src, g, cv::COLOR_BGR2GRAY);
    return g;
});

} // namespace
