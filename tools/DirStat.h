#pragma once

#include "FileStat.h"

#include <QMap>
#include <QString>
#include <QVector>

// One directory's own files (not its sub-directories') by format.
struct DirStat
{
    QString name;
    QString path;
    int a4Equivalent = 0;      // 超A0 pages are left out here
    QMap<QString, int> counts; // format name -> pages
    int noResolution = 0;      // files without resolution, in no format count
    qint64 bytes = 0;
    int fileCount = 0;
    QVector<DirStat> subDirs;
    QVector<FileStat> files;

    int count(const QString& format) const { return counts.value(format); }
};
