// Renumbering a folder of 1000 pages upwards by one, the case where every
// target but the last is still held by another page, on real files in a
// temporary folder: the checks, the journalled two-phase change, and the change
// back (the undo). Each is run several times; the median is printed next to
// the target for the whole renumbering.
//   bench_renumber [runs] [pages]    (default 5 runs, 1000 pages)
#include "BatchRenamePlan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kTargetSeconds = 0.5;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

template <typename F> double seconds(F&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int pages = argc > 2 ? std::max(2, atoi(argv[2])) : 1000;
    QTemporaryDir dir;
    QStringList names;
    const QByteArray bytes(32 * 1024, 'x');
    for (int i = 1; i <= pages; ++i) {
        names << QStringLiteral("%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QFile file(dir.filePath(names.last()));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 2;
    }
    std::vector<double> check, renumber, undo;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        const QVector<RenameRow> rows =
            BatchRenamePlan::numbered(names, BatchRenamePlan::Files, "", 2, 5, true, "");
        check.push_back(seconds([&] {
            ok = BatchRenamePlan::problem(dir.path(), rows, BatchRenamePlan::Files).isEmpty();
        }));
        BatchRenamePlan::Outcome outcome;
        renumber.push_back(seconds(
            [&] { outcome = BatchRenamePlan::run(dir.path(), rows, BatchRenamePlan::Files); }));
        QHash<QString, QString> back;
        for (auto it = outcome.renamed.cbegin(); it != outcome.renamed.cend(); ++it)
            back.insert(it.value(), it.key());
        undo.push_back(seconds(
            [&] { ok = ok && outcome.ok && BatchRenamePlan::runMap(dir.path(), back, false).ok; }));
    }
    if (!ok) {
        std::printf("renumbering failed\n");
        return 1;
    }
    const double whole = median(renumber);
    std::printf("%-40s %10s %10s\n", "step", "median s", "target s");
    std::printf("%-40s %10.3f %10s\n", "checks", median(check), "");
    std::printf("%-40s %10.3f %10.2f\n",
                qPrintable(QString("renumber %1 pages (journal)").arg(pages)), whole,
                kTargetSeconds);
    std::printf("%-40s %10.3f %10s\n", "undo (the change back)", median(undo), "");
    return whole < kTargetSeconds ? 0 : 1;
}
