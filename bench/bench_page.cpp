// Page geometry, page-number painting and stamping, Magick conversions and the
// dispatcher's own cost, on the A4 page at 300 dpi.
#include "BenchPages.h"
#include "ImageMagickHelper.h"
#include "OperationDispatcher.h"
#include "PageGeometry.h"
#include "PageNumberStamper.h"
#include "Rotation.h"
#include "Units.h"

#include <QFile>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

// Text painting needs a font database, which needs a QGuiApplication.
bool ensureGui()
{
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_imaging";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// A3 at 300 dpi: the A4 page padded with white all round.
void resizeToPagePad(benchmark::State& state)
{
    const cv::Mat& src = BenchPages::page(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ImageHelper::resizeToPage(src, mmToPixels(297, 300), mmToPixels(420, 300), 1));
}

// A5 cut out of the middle of the A4 page.
void resizeToPageCut(benchmark::State& state)
{
    const cv::Mat& src = BenchPages::page(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ImageHelper::resizeToPage(src, mmToPixels(148, 300), mmToPixels(210, 300), 1));
}

// Floor of every clearing operation: the deep copy it starts with.
void cloneFloor(benchmark::State& state)
{
    const cv::Mat& src = BenchPages::page(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(src.clone());
}

// Margins 10, 10, 20, 20 mm.
void clearMargins(benchmark::State& state)
{
    const cv::Mat& src = BenchPages::page(state.range(0));
    const int v = mmToPixels(10, 300);
    const int h = mmToPixels(20, 300);
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageHelper::clearMargins(src, v, v, h, h, QColor(250, 250, 240)));
}

// The dispatcher's cost on top of the call it makes (compare rotation/rotate90).
void dispatchRotate(benchmark::State& state)
{
    const cv::Mat& src = BenchPages::page(state.range(0));
    const OperationContext ctx;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            OperationDispatcher::apply(IMG_OPT_ROTATE_LEFT, src, QVariant(), ctx));
}

// Single page number, 6 mm high: only the area the text reaches is converted.
void paintPageNumber(benchmark::State& state)
{
    if (!ensureGui()) {
        state.SkipWithError("no QGuiApplication");
        return;
    }
    const cv::Mat& src = BenchPages::page(state.range(0));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(mmToPixels(6, 300));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            PageNumberStamper::paintText(src, QStringLiteral("P0001"), font, QPoint(2100, 150)));
}

// One file stamped: read, number painted, written back in place with its resolution.
void stampFile(benchmark::State& state, const char* suffix)
{
    if (!ensureGui()) {
        state.SkipWithError("no QGuiApplication");
        return;
    }
    const bool grey = state.range(0);
    const QString path = BenchPages::scratchPath(
        QStringLiteral("stamp-%1.%2").arg(grey ? "grey" : "colour").arg(QLatin1String(suffix)));
    QFile::remove(path);
    QFile::copy(BenchPages::pageFile(QLatin1String(suffix), grey), path);
    PageNumberJob job;
    job.files = QStringList{path};
    job.pageNo.prefix = QStringLiteral("P");
    job.fontFamily = QStringLiteral("Noto Sans CJK SC");
    job.fontPixelSize = 24;
    job.itemPos = QPointF(700, 40);
    job.itemHeight = 30;
    job.pageRect = QRectF(0, 0, 2480 / 3.0, 3508 / 3.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(PageNumberStamper::run(job));
}

void toQImage(benchmark::State& state)
{
    const Magick::Image image(
        BenchPages::pageFile(QStringLiteral("tif"), state.range(0)).toUtf8().toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageMagickHelper::toQImage(image));
}

void convertTifToJpg(benchmark::State& state)
{
    const QString tif = BenchPages::pageFile(QStringLiteral("tif"), state.range(0));
    const QString jpg = BenchPages::scratchPath(QStringLiteral("converted.jpg"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageMagickHelper::convertImage(tif, jpg));
}

// Three A4 JPEG pages into one PDF.
void imagesToPdf(benchmark::State& state)
{
    const QString page = BenchPages::pageFile(QStringLiteral("jpg"), state.range(0));
    const QString pdf = BenchPages::scratchPath(QStringLiteral("merged.pdf"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageMagickHelper::images2Pdf({page, page, page}, pdf));
}

} // namespace

// Argument 0: colour page, 1: grey page.
BENCHMARK(resizeToPagePad)
    ->Name("page/resizeToPagePad")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(resizeToPageCut)
    ->Name("page/resizeToPageCut")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(cloneFloor)->Name("page/cloneFloor")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(clearMargins)->Name("page/clearMargins")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(dispatchRotate)
    ->Name("page/dispatchRotate90")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(paintPageNumber)
    ->Name("page/paintPageNumber")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(stampFile, tif, "tif")
    ->Name("page/stampFile/tif")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(stampFile, jpg, "jpg")
    ->Name("page/stampFile/jpg")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(toQImage)->Name("page/toQImage")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(convertTifToJpg)
    ->Name("page/convertTifToJpg")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(imagesToPdf)->Name("page/imagesToPdf")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
