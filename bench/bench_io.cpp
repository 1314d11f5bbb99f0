// Page file I/O against its floors: the bare OpenCV and Magick++ decode/encode
// that the page functions wrap (resolution handling, conversions, safe replace).
#include "BenchPages.h"
#include "ImageConvert.h"
#include "PageFile.h"

#include <Magick++.h>
#include <QFile>
#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>

namespace {

using Run = void (*)(benchmark::State&, const QString& suffix, bool grey);

void loadForEdit(benchmark::State& state, const QString& suffix, bool grey)
{
    const QString path = BenchPages::pageFile(suffix, grey);
    for (auto _ : state)
        benchmark::DoNotOptimize(PageFile::loadForEdit(path));
}

void loadWithDensity(benchmark::State& state, const QString& suffix, bool grey)
{
    const QString path = BenchPages::pageFile(suffix, grey);
    cv::Mat mat;
    int x, y;
    for (auto _ : state)
        benchmark::DoNotOptimize(PageFile::loadWithDensity(path, mat, x, y));
}

void saveWithDensity(benchmark::State& state, const QString& suffix, bool grey)
{
    const QString path = BenchPages::scratchPath("save." + suffix);
    for (auto _ : state)
        benchmark::DoNotOptimize(PageFile::saveWithDensity(BenchPages::page(grey), path, 300, 300));
}

void setFileDensity(benchmark::State& state, const QString& suffix, bool grey)
{
    const QString path = BenchPages::scratchPath("density." + suffix);
    QFile::remove(path);
    QFile::copy(BenchPages::pageFile(suffix, grey), path);
    int dpi = 200;
    for (auto _ : state)
        benchmark::DoNotOptimize(PageFile::setFileDensity(path, dpi = 500 - dpi, dpi));
}

void readInfo(benchmark::State& state, const QString& suffix, bool grey)
{
    const QString path = BenchPages::pageFile(suffix, grey);
    for (auto _ : state)
        benchmark::DoNotOptimize(PageFile::readInfo(path));
}

void floorImread(benchmark::State& state, const QString& suffix, bool grey)
{
    const std::string path = BenchPages::pageFile(suffix, grey).toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(cv::imread(path, cv::IMREAD_UNCHANGED));
}

void floorImwrite(benchmark::State& state, const QString& suffix, bool grey)
{
    const std::string path = BenchPages::scratchPath("floor." + suffix).toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(cv::imwrite(path, BenchPages::page(grey)));
}

void floorMagickRead(benchmark::State& state, const QString& suffix, bool grey)
{
    const std::string path = BenchPages::pageFile(suffix, grey).toStdString();
    for (auto _ : state) {
        Magick::Image image(path);
        benchmark::DoNotOptimize(image.columns());
    }
}

void floorMagickWrite(benchmark::State& state, const QString& suffix, bool grey)
{
    const std::string path = BenchPages::scratchPath("magick." + suffix).toStdString();
    Magick::Image image = ImageHelper::matToMagick(BenchPages::page(grey));
    for (auto _ : state)
        image.write(path);
}

void matToQImage(benchmark::State& state, const QString&, bool grey)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::matToQImage(BenchPages::page(grey)));
}

void registerAll(const char* name, Run run, std::initializer_list<const char*> suffixes)
{
    for (const char* suffix : suffixes)
        for (bool grey : {false, true}) {
            const std::string label =
                std::string("io/") + name + "/" + suffix + (grey ? "/grey" : "/colour");
            benchmark::RegisterBenchmark(label.c_str(), [run, suffix,
                                                         grey](benchmark::State& state) {
                run(state, QString::fromLatin1(suffix), grey);
            })->Unit(benchmark::kMillisecond);
        }
}

const bool registered = [] {
    registerAll("loadForEdit", loadForEdit, {"jpg", "tif"});
    registerAll("floor_cv_imread", floorImread, {"jpg", "tif"});
    registerAll("loadWithDensity", loadWithDensity, {"jpg", "tif"});
    registerAll("floor_magick_read", floorMagickRead, {"jpg", "tif"});
    registerAll("saveWithDensity", saveWithDensity, {"jpg", "tif", "png"});
    registerAll("floor_magick_write", floorMagickWrite, {"jpg", "tif", "png"});
    registerAll("floor_cv_imwrite", floorImwrite, {"jpg", "tif", "png"});
    registerAll("setFileDensity", setFileDensity, {"jpg", "tif"});
    registerAll("readInfo", readInfo, {"jpg", "tif"});
    registerAll("matToQImage", matToQImage, {"-"});
    return true;
}();

} // namespace
