// Tone and colour operations on an A4 page at 300 dpi (2480 x 3508), colour
// (argument 3) and grey (argument 1), each next to the OpenCV primitives it is
// built from.
#include "ToneOps.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

namespace {

cv::Mat makeColourPage()
{
    cv::Mat page(3508, 2480, CV_8UC3, cv::Scalar(228, 234, 238));
    for (int y = 300; y < 3300; y += 70)
        cv::putText(page, "Archive 1957 No. 42 - item list and page record", {200, y},
                    cv::FONT_HERSHEY_SIMPLEX, 1.6, cv::Scalar(40, 40, 45), 3);
    cv::circle(page, {600, 2900}, 220, cv::Scalar(60, 50, 210), 12);
    cv::circle(page, {1800, 2900}, 220, cv::Scalar(215, 70, 40), 12);
    return page;
}

const cv::Mat& page(int channels)
{
    static const cv::Mat colour = makeColourPage();
    static const cv::Mat grey = [] {
        cv::Mat g;
        cv::cvtColor(colour, g, cv::COLOR_BGR2GRAY);
        return g;
    }();
    return channels == 1 ? grey : colour;
}

const QRect kSelection(200, 300, 2000, 2800);
const cv::Rect kSelectionCv(200, 300, 2000, 2800);

template <typename Op> void run(benchmark::State& state, Op op)
{
    const cv::Mat& src = page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        cv::Mat out = op(src);
        benchmark::DoNotOptimize(out.data);
    }
}

#define TONE_BENCH(name, ...)                                                                      \
    void name(benchmark::State& state)                                                             \
    {                                                                                              \
        run(state, [](const cv::Mat& src) -> cv::Mat { __VA_ARGS__; });                            \
    }                                                                                              \
    BENCHMARK(name)->Arg(3)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()

// The floor for every operation that writes a new page.
TONE_BENCH(Primitive_clone, return src.clone());

TONE_BENCH(Tone_clearBackground, return ImageHelper::clearBackground(src, QColor(250, 250, 240)));
TONE_BENCH(Primitive_clearBackground_inRange_setTo, {
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

const cv::Mat kCross2 = cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(2, 2));
TONE_BENCH(Tone_contentLight, return ImageHelper::contentLight(src));
TONE_BENCH(Primitive_dilate, {
    cv::Mat out;
    cv::dilate(src, out, kCross2);
    return out;
});
TONE_BENCH(Tone_contentDeep, return ImageHelper::contentDeep(src));
TONE_BENCH(Primitive_erode, {
    cv::Mat out;
    cv::erode(src, out, kCross2);
    return out;
});

TONE_BENCH(Tone_redSealDeep_page, return ImageHelper::redSealDeep(src));
TONE_BENCH(Tone_redSealDeep_rect, return ImageHelper::redSealDeep(src, kSelection));
TONE_BENCH(Tone_blueSealDeep_rect, return ImageHelper::blueSealDeep(src, kSelection));
TONE_BENCH(Primitive_seal_inRange_setTo, {
    cv::Mat out = src.clone();
    if (src.channels() == 3) {
        cv::Mat mask;
        cv::inRange(src, cv::Scalar(0, 0, 200), cv::Scalar(127, 127, 255), mask);
        out.setTo(cv::Scalar(0, 0, 255), mask);
    }
    return out;
});

TONE_BENCH(Tone_binarize, return ImageHelper::binarize(src));
TONE_BENCH(Primitive_binarize_chain, {
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

TONE_BENCH(Tone_adjustContrast, return ImageHelper::adjustContrast(src, 1.1f, 5));
TONE_BENCH(Primitive_convertTo, {
    cv::Mat out;
    src.convertTo(out, -1, 1.1, 5);
    return out;
});

TONE_BENCH(Tone_adjustSaturation, return ImageHelper::adjustSaturation(src, 1.4f));
TONE_BENCH(Tone_adjustColour, return ImageHelper::adjustColour(src, 1.1f, 5, 1.4f));
TONE_BENCH(Primitive_hsv_split_scale_merge, {
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

TONE_BENCH(Tone_toGray, return ImageHelper::toGray(src));
TONE_BENCH(Primitive_cvtColor_gray, {
    if (src.channels() != 3)
        return src;
    cv::Mat g;
    cv::cvtColor(src, g, cv::COLOR_BGR2GRAY);
    return g;
});

} // namespace
