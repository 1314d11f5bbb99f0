#pragma once

#include <QString>
#include <QStringList>

// The header preselected for each column choice: the one that best matches
// the usual header text (档号, 页号, 页数, 案卷档号), else the first header.
struct ItemColumnPresets
{
    QString archiveNo;
    QString pageNo;
    QString pageCount;
    QString caseFileNo;

    static ItemColumnPresets choose(const QStringList& headerNames);
};
