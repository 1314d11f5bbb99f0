#pragma once

#include "SplitPlan.h"
#include "SplitRow.h"

#include <QMap>
#include <functional>

// What the splitting tool is asked to do: copy the images of the chosen case-file
// folders of dataDir into outputDir, one folder per item built by the storage rule.
struct ToolSplitRequest
{
    QString dataDir;
    QString outputDir;
    QStringList headers;       // header texts of the item list
    QStringList storageFields; // storageFields(rule); rows carry one value per field
    int pageCountColumn = 0;   // for messages: the 页数 column's number
    QVector<SplitRow> rows;    // every data row, in list order
    QStringList selected;      // case-file folder names to split
    SplitMode mode = SplitMode::PageCount;
    bool checkPages = false; // 核对条目中页码与页数
    bool rename = false;     // number the pages from 1 within each case file
};

// The splitting tool's checks and plan; nothing here touches the disk but to read
// it. Each step is on its own too, for a front end that asks questions between
// them (the output folder comes after the folder check).
class ToolSplitPlanner
{
public:
    using ImageCounter = std::function<int(const QString& folder)>;

    // "案卷档号/档号" -> {"案卷档号", "档号"}; empty parts dropped.
    static QStringList storageFields(const QString& rule);
    static QString defaultStorageRule() { return QStringLiteral("案卷档号/档号"); }
    // "" when every field is a header, else "条目中不包含存储规则字段：%1".
    static QString checkStorageRule(const QStringList& fields, const QStringList& headers);
    // Whole, non-negative page counts, one per row, or the message naming the first bad cell.
    static QString pageCounts(const QVector<SplitRow>& rows, int pageCountColumn,
                              QVector<qint64>* counts);
    // Case-file number -> the pages of all its rows.
    static QMap<QString, qint64> caseFileTotals(const QVector<SplitRow>& rows,
                                                const QVector<qint64>& counts);
    // One line per selected folder whose images do not match the list.
    static QStringList folderProblems(const QString& dataDir, const QStringList& selected,
                                      const QMap<QString, qint64>& totals,
                                      const ImageCounter& countImages);
    // Every check in order, then the copies; the first failure is the plan's error.
    static SplitPlan plan(const ToolSplitRequest& request);

private:
    static QString checkFolders(const ToolSplitRequest& request);
    static QString destination(const ToolSplitRequest& request, int row, QString* folder);
    static bool placePages(const ToolSplitRequest& request, const QVector<qint64>& counts,
                           SplitPlan* plan);
};
