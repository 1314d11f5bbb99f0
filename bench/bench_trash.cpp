// Moving a folder's pages to the desktop trash, as 批量删除 does: 300 files of
// 200 KiB checked in the file list and removed, against a target of 100 ms,
// and Qt's own QFile::moveToTrash on the same pages for comparison. The trash
// lives in a temporary data folder (XDG_DATA_HOME) made on the first move, as
// on a fresh account; 撤销删除's way back is timed too. Pages and trash sit
// in the working folder, like a data directory and a home folder: on some
// machines /tmp makes files ten times slower than the disk beneath it.
//   bench_trash [pages] [runs]    (default 300 and 5)
#include "FileTableModel.h"
#include "PageTrash.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kTargetMs = 100.0;

bool writePages(const QString& folder, int pages)
{
    const QByteArray bytes(200 * 1024, 'p');
    for (int i = 0; i < pages; ++i) {
        QFile file(QStringLiteral("%1/%2.jpg").arg(folder).arg(i + 1, 4, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int pages = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    std::vector<double> deletes;
    std::vector<double> restores;
    std::vector<double> plain;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir base(QDir::current().filePath(QStringLiteral("bench-trash-XXXXXX")));
        const QString folder = base.filePath("pages");
        qputenv("XDG_DATA_HOME", QFile::encodeName(base.filePath("share")));
        if (!QDir().mkpath(folder) || !writePages(folder, pages)) {
            std::fprintf(stderr, "cannot write the pages\n");
            return 2;
        }
        // Pages are written long before they are deleted: without this the
        // timing is the disk catching up on the 60 MB just written.
        ::sync();
        FileTableModel files;
        files.loadDir(folder);
        files.checkAll();
        QElapsedTimer timer;
        timer.start();
        const bool ok = files.removeChecked();
        deletes.push_back(timer.nsecsElapsed() / 1e6);
        if (!ok || files.lastRemoval().trashedAs.size() != pages) {
            std::fprintf(stderr, "not every page reached the trash\n");
            return 2;
        }
        const QHash<QString, QString> trashed = files.lastRemoval().trashedAs;
        timer.restart();
        for (auto it = trashed.begin(); it != trashed.end(); ++it) {
            if (!PageTrash::restore(it.value(), it.key())) {
                std::fprintf(stderr, "a page did not come back\n");
                return 2;
            }
        }
        restores.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        for (auto it = trashed.begin(); it != trashed.end(); ++it)
            QFile::moveToTrash(it.key());
        plain.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double moved = median(deletes);
    std::printf(
        "%-44s %9.1f ms (target < %.0f ms) %s\n",
        qPrintable(QStringLiteral("%1 pages to the trash, median of %2").arg(pages).arg(runs)),
        moved, kTargetMs, moved < kTargetMs ? "ok" : "MISSED");
    std::printf("%-44s %9.1f ms\n",
                qPrintable(QStringLiteral("%1 pages back from the trash").arg(pages)),
                median(restores));
    std::printf("%-44s %9.1f ms\n",
                qPrintable(QStringLiteral("%1 pages by QFile::moveToTrash").arg(pages)),
                median(plain));
    return moved < kTargetMs ? 0 : 1;
}
