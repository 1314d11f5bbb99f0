#pragma once

#include "DirStat.h"
#include "StatsTotals.h"

#include <QStringList>
#include <functional>

// Walks a directory tree and counts its images by paper format, reading only
// headers. Symbolic links are never followed (a link to a parent would recurse
// for ever) and hidden files (editors' and scanners' temporaries) are skipped.
// Needs no widgets: the dialog and the command share it.
class StatsScanner
{
public:
    // The archival standard's minimum resolution.
    static const int kMinimumDpi = 200;

    struct Hooks
    {
        std::function<void(const QString&)> progress; // directory name
        std::function<void(const QString&)> problem;  // a log line
        std::function<bool()> cancelled;
    };

    // `suffixes` empty: every format the image readers know.
    StatsScanner(int toleranceMm, const QStringList& suffixes);

    // Fills `root` (its name and path already set) and returns the totals.
    StatsTotals scan(DirStat& root, const Hooks& hooks = Hooks());

    // "jpg,jpeg,,tif" -> {"jpg", "jpeg", "tif"}
    static QStringList splitSuffixes(const QString& text);
    // Every suffix some reader here handles, built once.
    static const QStringList& allSuffixes();

private:
    void scanDirectory(DirStat& dir);
    bool countFile(const QString& path, FileStat& stat);

    int m_tolerance;
    QStringList m_filters;
    StatsTotals m_totals;
    Hooks m_hooks;
};
