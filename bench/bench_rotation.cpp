// Turns, free rotation and deskew on the A4 page.
#include "BenchPages.h"
#include "Rotation.h"

#include <benchmark/benchmark.h>

namespace {

void rotate90(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::rotate(BenchPages::page(state.range(0)), 90));
}

void flipHorizontal(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::flip(BenchPages::page(state.range(0)), 1));
}

void rotateByAngle(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::rotateByAngle(BenchPages::page(state.range(0)), 1.f));
}

void deskewPass(benchmark::State& state)
{
    const cv::Mat tilted = ImageHelper::rotateByAngle(BenchPages::page(state.range(0)), 3.f);
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::deskewPass(tilted));
}

void autoDeskew(benchmark::State& state)
{
    const cv::Mat tilted = ImageHelper::rotateByAngle(BenchPages::page(state.range(0)), 3.f);
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::autoDeskew(tilted, 2));
}

} // namespace

// Argument 0: colour page, 1: grey page.
BENCHMARK(rotate90)
    ->Name("rotation/rotate90")
    ->ArgName("grey")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(flipHorizontal)
    ->Name("rotation/flip")
    ->ArgName("grey")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(rotateByAngle)
    ->Name("rotation/rotateByAngle")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(deskewPass)
    ->Name("rotation/deskewPass")
    ->ArgName("grey")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(autoDeskew)
    ->Name("rotation/autoDeskew")
    ->ArgName("grey")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
