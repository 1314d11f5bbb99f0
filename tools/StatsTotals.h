#pragma once

#include <QMap>
#include <QString>

// Everything a scan counted, over the whole tree.
struct StatsTotals
{
    int fileCount = 0;
    qint64 bytes = 0;
    QMap<QString, int> counts; // format name -> pages
    int noResolution = 0;
    // Files per "XxY" resolution text, and how many are under the archival minimum.
    QMap<QString, int> byResolution;
    int underMinimumDpi = 0;
    // Pages of all files, a multi-page TIFF counting each of its frames.
    int pages = 0;
    int multiPageFiles = 0;

    // The total row's A4 equivalent: 超A0 pages count like A0 here.
    int a4Equivalent() const;
};
