// Placing scanned pages into large folders, as the workstation and tarvo-scan
// do it, on real files in a temporary folder:
//   insert: ten pages before the first of 2000 numbered pages (plan, the one
//           rename change that shifts all 2000, and the reload of the file list);
//   append: the last page of a scan from its arrival in the temporary folder
//           to the file list of a folder of 1000 pages reloaded with it;
//   and the blank page check of one A4 300 dpi page (--skip-blank pays it per page).
// Each is run several times on a fresh folder; median and best are printed.
//   bench_scan_placement [runs]    (default 5)
#include "BlankPage.h"
#include "FileTableModel.h"
#include "ScanPlacement.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A scanned page's size: an A4 grey page at 300 dpi as JPEG is some 400 KB.
const QByteArray& scannedPage()
{
    static const QByteArray bytes = [] {
        QByteArray data(400 * 1024, '\0');
        QRandomGenerator random(1);
        for (char& c : data)
            c = static_cast<char>(random.bounded(256));
        return data;
    }();
    return bytes;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool makeFolder(const QString& folder, int pages)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 1; i <= pages; ++i) {
        if (!write(QStringLiteral("%1/%2.jpg").arg(folder).arg(i, 4, 10, QLatin1Char('0')),
                   QByteArray(2048, 'p')))
            return false;
    }
    return true;
}

QStringList scan(const QString& tempFolder, int pages)
{
    QDir().mkpath(tempFolder);
    QStringList paths;
    for (int i = 1; i <= pages; ++i) {
        const QString path =
            QStringLiteral("%1/%2.jpg").arg(tempFolder).arg(i, 3, 10, QLatin1Char('0'));
        if (write(path, scannedPage()))
            paths << path;
    }
    return paths;
}

ScanPlacement::Job jobFor(int mode, const QString& folder, const QStringList& pages,
                          const QString& root)
{
    ScanPlacement::Job job;
    job.mode = mode;
    job.folder = folder;
    job.currentFile = QStringLiteral("0001.jpg");
    job.naming.codeLength = 4;
    job.naming.nextCode = 1;
    job.pages = pages;
    job.recoveryRoot = root;
    return job;
}

// One timed placement; -1 when it failed or the list is not as expected.
double placeAndReload(const ScanPlacement::Job& job, int expectedRows)
{
    FileTableModel model;
    QElapsedTimer clock;
    clock.start();
    const ScanPlacement::Result result = ScanPlacement().place(job, ScanPlacement::plan(job));
    model.loadDir(job.folder);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!result.ok || model.rowCount() != expectedRows) {
        std::fprintf(stderr, "placement failed: %s (%d rows)\n", qPrintable(result.error),
                     model.rowCount());
        return -1;
    }
    return ms;
}

struct Figures
{
    double median = -1;
    double best = -1;
};

Figures figures(std::vector<double> times)
{
    if (times.empty() || *std::min_element(times.begin(), times.end()) < 0)
        return {};
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

Figures timeInsert(const QString& base, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const QString folder = QStringLiteral("%1/insert%2").arg(base).arg(run);
        if (!makeFolder(folder, 2000))
            return {};
        const QStringList pages = scan(base + QStringLiteral("/tmp-insert%1").arg(run), 10);
        times.push_back(placeAndReload(jobFor(ScanPlacement::Insert, folder, pages, base), 2010));
        QDir(folder).removeRecursively();
    }
    return figures(times);
}

Figures timeAppend(const QString& base, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const QString folder = QStringLiteral("%1/append%2").arg(base).arg(run);
        if (!makeFolder(folder, 1000))
            return {};
        ScanPlacement::Job job =
            jobFor(ScanPlacement::Append, folder,
                   scan(base + QStringLiteral("/tmp-append%1").arg(run), 1), base);
        job.naming.nextCode = 1001;
        times.push_back(placeAndReload(job, 1001));
        QDir(folder).removeRecursively();
    }
    return figures(times);
}

Figures timeListing(const QString& base, int runs)
{
    const QString folder = base + QStringLiteral("/listing");
    if (!makeFolder(folder, 1000))
        return {};
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        FileTableModel model;
        QElapsedTimer clock;
        clock.start();
        model.loadDir(folder);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return figures(times);
}

// An A4 page at 300 dpi with a few lines of text, as grey JPEG.
Figures timeBlankCheck(const QString& base, int runs)
{
    QImage page(2480, 3508, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (int y = 400; y < 1000; y += 60)
        painter.fillRect(300, y, 1800, 4, Qt::black);
    painter.end();
    const QString path = base + QStringLiteral("/a4.jpg");
    if (!page.save(path, "JPEG", 85))
        return {};
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        isBlankPage(path);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return figures(times);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir base;
    if (!base.isValid())
        return 1;

    const Figures insert = timeInsert(base.path(), runs);
    const Figures append = timeAppend(base.path(), runs);
    const Figures listing = timeListing(base.path(), runs);
    const Figures blank = timeBlankCheck(base.path(), runs);
    std::printf("%-58s %9s %9s %9s\n", "scan placement", "median ms", "best ms", "target ms");
    std::printf("%-58s %9.1f %9.1f %9d\n", "insert 10 before the first of 2000 (plan+place+reload)",
                insert.median, insert.best, 500);
    std::printf("%-58s %9.1f %9.1f %9d\n", "append last page into 1000, list reloaded",
                append.median, append.best, 150);
    std::printf("%-58s %9.1f %9.1f %9s\n", "  of which: reload of a 1000-page list alone",
                listing.median, listing.best, "");
    std::printf("%-58s %9.1f %9.1f %9s\n", "blank page check, A4 300 dpi grey JPEG", blank.median,
                blank.best, "");
    const bool met =
        insert.median >= 0 && append.median >= 0 && insert.median < 500 && append.median < 150;
    return met ? 0 : 1;
}
