#pragma once

#include "SplitPlan.h"
#include "SplitRow.h"

#include <QSet>

// Works out the split tab's moves: the pages of one folder, in list order, go to
// sub-folders of that folder named by archive number. Every check runs here, so
// a refused split has touched nothing.
class TabSplitPlanner
{
public:
    // folder: the folder that holds the pages; sources: their full paths in list order.
    static SplitPlan plan(const QString& folder, const QVector<SplitRow>& rows,
                          const QStringList& sources, SplitMode mode, bool rename);

private:
    static void pagesByCount(const QVector<SplitRow>& rows, QVector<qint64>* pages);
    static bool pagesByNumber(const QVector<SplitRow>& rows, QVector<qint64>* pages,
                              SplitPlan* plan);
    static bool checkNames(const QString& folder, const QVector<SplitRow>& rows,
                           const QVector<qint64>& pages, const QSet<QString>& taken,
                           SplitPlan* plan);
};
