#pragma once

#include <QString>
#include <QStringList>

// One data row of the item list, its cells already turned into text.
struct SplitRow
{
    int sheetRow = 0;
    QString archiveNo;
    QString pageNo;
    QString pageCount; // as the cell reads; whole numbers only count
    QString caseNo;
    QStringList storageValues; // one per storage-rule field
};
