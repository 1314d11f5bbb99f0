// The quality check's match on real files in a temporary folder: 5,000 items in
// 50 case files, each item folder holding 20 tiny page images (100,000 files),
// matched by the rule "案卷档号/档号" with the reverse check. The first match
// reads the folders cold from our own writes; the warm runs give the median
// printed against its target.
//   bench_match [runs]    (default 5)
#include "EntryMatcher.h"
#include "ItemHeaders.h"
#include "ItemRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kCaseFiles = 50;
constexpr int kItems = 5000;
constexpr int kPagesPerItem = 20;

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
                qPrintable(target),
                target.isEmpty() ? ""
                : met            ? "ok"
                                 : "MISSED");
}

QString caseNo(int item)
{
    return QStringLiteral("C%1").arg(item / (kItems / kCaseFiles) + 1, 2, 10, QLatin1Char('0'));
}

QString archiveNo(int item)
{
    return QStringLiteral("%1-%2").arg(caseNo(item)).arg(item % (kItems / kCaseFiles) + 1);
}

bool writeFolders(const QString& dataDir)
{
    const QByteArray bytes("p");
    for (int item = 0; item < kItems; ++item) {
        const QString folder = dataDir + '/' + caseNo(item) + '/' + archiveNo(item);
        if (!QDir().mkpath(folder))
            return false;
        for (int page = 1; page <= kPagesPerItem; ++page) {
            QFile file(QStringLiteral("%1/%2.jpg").arg(folder).arg(page, 6, 10, QLatin1Char('0')));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir tmp;
    QElapsedTimer timer;
    timer.start();
    if (!tmp.isValid() || !writeFolders(tmp.path())) {
        std::fprintf(stderr, "could not write the item folders\n");
        return 1;
    }
    const double writeMs = timer.nsecsElapsed() / 1e6;

    const QStringList names{QStringLiteral("案卷档号"), QStringLiteral("档号"),
                            QStringLiteral("页数")};
    ItemHeaders headers;
    for (int i = 0; i < names.size(); ++i)
        headers.append(names.at(i), i + 1);
    QVector<ItemRecord> records;
    records.reserve(kItems);
    for (int item = 0; item < kItems; ++item) {
        ItemRecord record(item + 2, names, {caseNo(item), archiveNo(item), double(kPagesPerItem)});
        record.setArchiveNo(archiveNo(item));
        records << record;
    }
    EntryMatcher::Options options;
    options.dataDir = tmp.path();
    options.rule = QStringLiteral("案卷档号/档号");
    options.archiveNoHeader = names.at(1);
    options.pageCountHeader = names.at(2);
    options.caseFileHeader = names.at(0);

    bool consistent = true;
    timer.restart();
    const EntryMatcher::Result first = EntryMatcher::match(records, headers, options);
    const double firstMs = timer.nsecsElapsed() / 1e6;
    consistent = first.ok() && first.errors.isEmpty() && first.unclaimed.isEmpty();
    std::vector<double> warm;
    std::vector<double> warmCpu;
    for (int run = 0; run < runs; ++run) {
        timer.restart();
        const double cpu = cpuMs();
        const EntryMatcher::Result result = EntryMatcher::match(records, headers, options);
        warm.push_back(timer.nsecsElapsed() / 1e6);
        warmCpu.push_back(cpuMs() - cpu);
        consistent =
            consistent && result.ok() && result.errors.isEmpty() && result.unclaimed.isEmpty();
    }

    std::printf("%-44s %14s %10s %-12s\n", "benchmark", "wall", "cpu ms", "target");
    row("write 100000 page files in 5000 folders", writeMs, "ms", "", true);
    row("match 5000 items, first run", firstMs, "ms", "", consistent);
    const double warmMs = median(warm);
    row("match 5000 items, warm (median)", warmMs, "ms", "< 1000 ms", consistent && warmMs < 1000,
        median(warmCpu));
    std::printf("(%d warm runs%s)\n", runs, consistent ? "" : "; the match found errors");
    return consistent ? 0 : 1;
}
