// Splitting a run of pages into item folders, on real files in a temporary folder:
//   tab:    10,000 pages into 500 items of 20, planned and moved in one rename change;
//   tool:   the same pages as 20 case-file folders copied into 500 item folders,
//           against `cp -r` of the same folders;
//   checks: the checks before anything moves, on 50,000 rows (the tab's plan over a
//           folder of 50,000 pages, and the tool's page counts, page numbers and names).
// Each is run several times; the median is printed next to its target.
//   bench_split [runs] [page KiB] [parts]    (default 3 runs, 32 KiB pages, "tab,tool,checks")
#include "ItemFolderName.h"
#include "PageNumberCheck.h"
#include "SplitCopier.h"
#include "SplitMover.h"
#include "TabSplitPlanner.h"
#include "ToolSplitPlanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kPages = 10000;
constexpr int kItems = 500;
constexpr int kCaseFiles = 20;
constexpr int kCheckRows = 50000;

bool writePages(const QString& folder, int count, const QByteArray& bytes, QStringList* paths)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 1; i <= count; ++i) {
        const QString path =
            QStringLiteral("%1/img%2.jpg").arg(folder).arg(i, 5, 10, QLatin1Char('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
        if (paths)
            *paths << path;
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values.at(values.size() / 2);
}

// The machine may be shared: the process's own processor time shows the work apart from waiting.
double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void row(const char* name, double value, const char* unit, const QString& target, bool met,
         double cpu = -1)
{
    const QString cpuText = cpu < 0 ? QString() : QString::number(cpu, 'f', 1);
    std::printf("%-44s %10.1f %-3s %10s %-12s %s\n", name, value, unit, qPrintable(cpuText),
                qPrintable(target), target.isEmpty() ? "" : met ? "ok" : "MISSED");
}

// The tab: plan and moves of 10,000 pages into 500 item folders.
double tabRun(const QByteArray& bytes)
{
    QTemporaryDir tmp;
    QStringList sources;
    if (!writePages(tmp.path(), kPages, bytes, &sources))
        return -1;
    QVector<SplitRow> rows;
    for (int i = 0; i < kItems; ++i)
        rows.append({i + 2,
                     QStringLiteral("WS-2023-%1").arg(i + 1, 4, 10, QLatin1Char('0')),
                     QString(),
                     QString::number(kPages / kItems),
                     QString(),
                     {}});
    QElapsedTimer timer;
    timer.start();
    const SplitPlan plan =
        TabSplitPlanner::plan(tmp.path(), rows, sources, SplitMode::PageCount, true);
    const SplitResult result = SplitMover().run(plan);
    const double ms = timer.nsecsElapsed() / 1e6;
    return result.ok ? ms : -1;
}

QVector<SplitRow> toolRows()
{
    QVector<SplitRow> rows;
    const int perCase = kItems / kCaseFiles;
    const int pages = kPages / kItems;
    for (int i = 0; i < kItems; ++i) {
        SplitRow row;
        row.sheetRow = i + 2;
        row.caseNo = QStringLiteral("C%1").arg(i / perCase + 1, 2, 10, QLatin1Char('0'));
        row.archiveNo = QStringLiteral("%1-%2").arg(row.caseNo).arg(i % perCase + 1);
        const int first = (i % perCase) * pages + 1;
        row.pageNo = i % perCase == perCase - 1
                         ? QStringLiteral("%1-%2").arg(first).arg(first + pages - 1)
                         : QString::number(first);
        row.pageCount = QString::number(pages);
        row.storageValues = QStringList{row.caseNo, row.archiveNo};
        rows << row;
    }
    return rows;
}

double timeCp(const QString& from, const QString& to)
{
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute("cp", {"-r", from, to});
    const double ms = timer.nsecsElapsed() / 1e6;
    return status == 0 ? ms : -1;
}

// The tool against cp -r, on the same data folder and the same file system.
void toolRuns(int runs, const QByteArray& bytes, std::vector<double>* ours, std::vector<double>* cp)
{
    QTemporaryDir tmp;
    const QString data = tmp.path() + "/data";
    QStringList selected;
    for (int c = 1; c <= kCaseFiles; ++c) {
        selected << QStringLiteral("C%1").arg(c, 2, 10, QLatin1Char('0'));
        if (!writePages(data + '/' + selected.last(), kPages / kCaseFiles, bytes, nullptr))
            return;
    }
    ToolSplitRequest request;
    request.dataDir = data;
    request.headers = QStringList{"案卷档号", "档号", "页号", "页数"};
    request.storageFields = ToolSplitPlanner::storageFields(ToolSplitPlanner::defaultStorageRule());
    request.rows = toolRows();
    request.selected = selected;
    request.mode = SplitMode::PageNumber;
    request.checkPages = true;
    request.rename = true;
    timeCp(data, tmp.path() + "/warm"); // both start from a warm page cache
    for (int run = 0; run < runs; ++run) {
        const QString out = tmp.path() + QStringLiteral("/out%1").arg(run);
        QDir().mkpath(out);
        request.outputDir = out;
        // Alternate who goes first: the file system's state after deletions weighs on both.
        const QString copy = tmp.path() + QStringLiteral("/cp%1").arg(run);
        if (run % 2 == 1)
            cp->push_back(timeCp(data, copy));
        QElapsedTimer timer;
        timer.start();
        const SplitResult result = SplitCopier().run(ToolSplitPlanner::plan(request));
        ours->push_back(result.ok ? timer.nsecsElapsed() / 1e6 : -1);
        if (run % 2 == 0)
            cp->push_back(timeCp(data, copy));
        QDir(out).removeRecursively();
        QDir(tmp.path() + QStringLiteral("/cp%1").arg(run)).removeRecursively();
    }
}

// The checks before anything moves, 50,000 rows of one page each.
void checkRuns(int runs, std::vector<double>* tab, std::vector<double>* tool,
               std::vector<double>* tabCpu, std::vector<double>* toolCpu)
{
    QTemporaryDir tmp;
    QStringList sources;
    if (!writePages(tmp.path(), kCheckRows, QByteArray(), &sources))
        return;
    QVector<SplitRow> rows;
    for (int i = 0; i < kCheckRows; ++i) {
        SplitRow row;
        row.sheetRow = i + 2;
        row.caseNo = QStringLiteral("C%1").arg(i / 100);
        row.archiveNo = QStringLiteral("WS-%1").arg(i + 1, 6, 10, QLatin1Char('0'));
        row.pageNo = i % 100 == 99 ? QStringLiteral("100-100") : QString::number(i % 100 + 1);
        row.pageCount = QStringLiteral("1");
        row.storageValues = QStringList{row.caseNo, row.archiveNo};
        rows << row;
    }
    QSet<QString> selected;
    for (const SplitRow& row : rows)
        selected.insert(row.caseNo);
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        double cpu = cpuMs();
        const SplitPlan plan =
            TabSplitPlanner::plan(tmp.path(), rows, sources, SplitMode::PageCount, false);
        tab->push_back(plan.ok() ? timer.nsecsElapsed() / 1e6 : -1);
        tabCpu->push_back(cpuMs() - cpu);
        timer.restart();
        cpu = cpuMs();
        QVector<qint64> counts;
        bool ok = ToolSplitPlanner::pageCounts(rows, 4, &counts).isEmpty() &&
                  PageNumberCheck(true, true).check(rows, selected, &counts).isEmpty();
        ToolSplitPlanner::caseFileTotals(rows, counts);
        for (const SplitRow& row : rows) {
            for (const QString& value : row.storageValues)
                ok = ok && ItemFolderName::problem(value).isEmpty();
        }
        tool->push_back(ok ? timer.nsecsElapsed() / 1e6 : -1);
        toolCpu->push_back(cpuMs() - cpu);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int kib = argc > 2 ? std::max(1, atoi(argv[2])) : 32;
    const QByteArray bytes(kib * 1024, 'p');
    const QStringList parts =
        QString::fromLocal8Bit(argc > 3 ? argv[3] : "tab,tool,checks").split(',');

    std::vector<double> tab;
    for (int run = 0; run < runs && parts.contains("tab"); ++run)
        tab.push_back(tabRun(bytes));
    std::vector<double> ours;
    std::vector<double> cp;
    if (parts.contains("tool"))
        toolRuns(runs, bytes, &ours, &cp);
    std::vector<double> tabChecks;
    std::vector<double> toolChecks;
    std::vector<double> tabChecksCpu;
    std::vector<double> toolChecksCpu;
    if (parts.contains("checks"))
        checkRuns(runs, &tabChecks, &toolChecks, &tabChecksCpu, &toolChecksCpu);

    std::printf("%-44s %14s %10s %-12s\n", "benchmark (median)", "wall", "cpu ms", "target");
    const double tabMs = median(tab);
    row("tab: plan + move 10000 pages into 500 items", tabMs, "ms", "< 3000 ms",
        tabMs >= 0 && tabMs < 3000);
    const double oursMs = median(ours);
    const double cpMs = median(cp);
    row("tool: plan + copy 10000 pages", oursMs, "ms", "", oursMs >= 0);
    row("cp -r of the same pages", cpMs, "ms", "", cpMs >= 0);
    const double ratio = cpMs > 0 ? oursMs / cpMs : 0;
    row("tool / cp -r", ratio, "x", "<= 1.2 x", oursMs >= 0 && cpMs > 0 && ratio <= 1.2);
    const double tabCheckMs = median(tabChecks);
    row("checks: tab plan, 50000 rows and pages", tabCheckMs, "ms", "< 100 ms",
        tabCheckMs >= 0 && tabCheckMs < 100, median(tabChecksCpu));
    const double toolCheckMs = median(toolChecks);
    row("checks: tool counts, page numbers, names", toolCheckMs, "ms", "< 100 ms",
        toolCheckMs >= 0 && toolCheckMs < 100, median(toolChecksCpu));
    std::printf("(%d runs, %d KiB pages)\n", runs, kib);
    return 0;
}
