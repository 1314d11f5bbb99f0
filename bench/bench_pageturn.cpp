// Page turn in the main window: a current-row change of the file list until
// the new page is painted in the view with its status labels, on A4 colour
// JPEG pages at 300 dpi (2480 x 3508), offscreen.
//   BM_PageTurnNext: the next page, after the operator has looked at the
//     current one (the pause, untimed, lets the neighbours' prefetch finish).
//   BM_PageTurnJump: a jump to a page that is not a neighbour (nothing prefetched).
#include "AppPaths.h"
#include "MainWindow.h"
#include "PageFile.h"
#include "ScanLikePage.h"
#include "SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <memory>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kPages = 6;

// One window on a folder of kPages pages, shared by the benchmarks.
struct Workbench
{
    QTemporaryDir base;
    QTemporaryDir data;
    std::unique_ptr<MainWindow> window;
    QTableView* files = nullptr;

    Workbench()
    {
        AppPaths::setBaseDirForTesting(base.path());
        const QString folder = data.path() + QStringLiteral("/0001卷");
        QDir().mkpath(folder);
        for (int i = 1; i <= kPages; ++i)
            PageFile::saveWithDensity(
                scanLikePage(i), folder + QStringLiteral("/%1.jpg").arg(i, 4, 10, QLatin1Char('0')),
                300, 300);
        SettingsStore::setSettingValue(SettingsStore::kRootPath, data.path());
        window = std::make_unique<MainWindow>();
        window->resize(1600, 900);
        window->show();
        files = window->findChild<QTableView*>(QStringLiteral("tb_file"));
        QElapsedTimer wait;
        wait.start();
        while (files->model()->rowCount() < kPages && wait.elapsed() < 30000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        settle();
    }

    bool ready() const { return files->model()->rowCount() == kPages; }

    void turnTo(int row)
    {
        files->setCurrentIndex(files->model()->index(row, 1));
        // Paints the view and the status bar as the event loop would.
        QApplication::processEvents();
    }

    static void settle()
    {
        QThreadPool::globalInstance()->waitForDone();
        QApplication::processEvents();
    }
};

// Created on first use, destroyed before the application object.
std::unique_ptr<Workbench> g_workbench;

Workbench& workbench()
{
    if (!g_workbench)
        g_workbench = std::make_unique<Workbench>();
    return *g_workbench;
}

void BM_PageTurnNext(benchmark::State& state)
{
    Workbench& bench = workbench();
    if (!bench.ready()) {
        state.SkipWithError("the data directory did not open");
        return;
    }
    int row = bench.files->currentIndex().row();
    for (auto _ : state) {
        state.PauseTiming();
        if (row + 1 >= kPages) {
            row = 0;
            bench.turnTo(row);
        }
        Workbench::settle();
        state.ResumeTiming();
        bench.turnTo(++row);
    }
}
BENCHMARK(BM_PageTurnNext)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_PageTurnJump(benchmark::State& state)
{
    Workbench& bench = workbench();
    if (!bench.ready()) {
        state.SkipWithError("the data directory did not open");
        return;
    }
    int row = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Workbench::settle();
        state.ResumeTiming();
        row = row == 0 ? 3 : 0; // never a neighbour of the page before
        bench.turnTo(row);
    }
}
BENCHMARK(BM_PageTurnJump)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    g_workbench.reset();
    return 0;
}
