#pragma once

#include "ItemRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// Writes item records back as a workbook: the header row first, each record at
// its own sheet row, so the export lines up with the list it came from. The
// quality-check tab and the headless check export through it.
class ItemRecordExport
{
public:
    // A record without a row of its own (made by editing a folder the list
    // lacks) goes below the last one. False with a reason when the write failed;
    // the target is then as it was.
    static bool write(const QString& path, const QStringList& headers,
                      const QList<ItemRecord>& records, QString* reason);

    // The same file, even when reached by another spelling of its path: the
    // imported list must never be the export target.
    static bool sameFile(const QString& a, const QString& b);
};
