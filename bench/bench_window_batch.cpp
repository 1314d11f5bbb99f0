// A batch run from the main window over a folder of A4 colour JPEG pages at
// 300 dpi (2480 x 3508), offscreen, as the operator starts it: the time from
// the click on "批量处理" until the progress dialog is shown, the run's wall
// time, and the process's resident memory (sampled every 20 ms, and the peak
// the kernel reports). One measurement, printed as a table.
//   bench_window_batch [pages]    (default 200)
#include "ActionTableModel.h"
#include "AppPaths.h"
#include "BatchPanel.h"
#include "MainWindow.h"
#include "PageFile.h"
#include "ScanLikePage.h"
#include "SettingsStore.h"
#include "WaitingDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <opencv2/imgproc.hpp>
#include <sys/resource.h>

namespace {

constexpr int kDistinctPages = 4;

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

double peakResidentMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Notes when the first progress dialog is shown.
class DialogWatch : public QObject
{
public:
    QElapsedTimer clock;
    qint64 shownAfterMs = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && shownAfterMs < 0 &&
            qobject_cast<WaitingDlg*>(watched))
            shownAfterMs = clock.elapsed();
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int pages = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    QTemporaryDir base;
    QTemporaryDir data;
    AppPaths::setBaseDirForTesting(base.path());
    const QString folder = data.path() + QStringLiteral("/0001卷");
    QDir().mkpath(folder);
    std::fprintf(stderr, "writing %d pages...\n", pages);
    for (int k = 0; k < kDistinctPages; ++k)
        PageFile::saveWithDensity(scanLikePage(k), QStringLiteral("%1/seed%2.jpg").arg(data.path()).arg(k),
                                  300, 300);
    for (int n = 1; n <= pages; ++n)
        QFile::copy(QStringLiteral("%1/seed%2.jpg").arg(data.path()).arg(n % kDistinctPages),
                    QStringLiteral("%1/%2.jpg").arg(folder).arg(n, 4, 10, QLatin1Char('0')));
    const qint64 pageBytes = QFileInfo(folder + QStringLiteral("/0001.jpg")).size();

    SettingsStore::setSettingValue(SettingsStore::kRootPath, data.path());
    SettingsStore::setSettingValue(SettingsStore::kSaveMode, 2);
    MainWindow window;
    window.resize(1315, 750);
    window.show();
    const QString first = folder + QStringLiteral("/0001.jpg");
    if (!QTest::qWaitFor([&] { return window.currentFile() == first; }, 30000)) {
        std::fprintf(stderr, "the first page did not open\n");
        return 1;
    }

    ActionTableModel* actions = window.batchPanel()->model();
    const QModelIndexList right = actions->match(actions->index(0, 1), Qt::DisplayRole,
                                                 QStringLiteral("向右旋转"), 1, Qt::MatchExactly);
    if (right.isEmpty())
        return 1;
    actions->toggleChecked(right.first().row());

    const double before = residentMb();
    double sampledPeak = before;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { sampledPeak = std::max(sampledPeak, residentMb()); });
    sampler.start(20);
    DialogWatch watch;
    app.installEventFilter(&watch);
    QElapsedTimer run;
    watch.clock.start();
    run.start();
    window.findChild<QPushButton*>(QStringLiteral("btn_batch_process"))->click();
    const qint64 runMs = run.elapsed();
    sampler.stop();

    std::printf("%-44s %12s\n", "window batch, 向右旋转", "value");
    std::printf("%-44s %12d\n", "pages", pages);
    std::printf("%-44s %12.1f\n", "page file size (MB)", pageBytes / 1048576.0);
    std::printf("%-44s %12lld\n", "click to progress dialog shown (ms)", watch.shownAfterMs);
    std::printf("%-44s %12lld\n", "click to run finished (ms)", runMs);
    std::printf("%-44s %12.0f\n", "resident before the click (MB)", before);
    std::printf("%-44s %12.0f\n", "resident peak, sampled (MB)", sampledPeak);
    std::printf("%-44s %12.0f\n", "resident peak, kernel (MB)", peakResidentMb());
    return 0;
}
