#pragma once

#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QVector>

enum class SplitMode
{
    PageCount, // 页数分件
    PageNumber // 页号分件
};

// One item of a split: where its pages come from and where each one goes.
struct SplitPlanItem
{
    int sheetRow = 0;
    QString archiveNo;
    QString folder;      // the item's destination folder
    QStringList sources; // full paths, in page order
    QStringList targets; // full paths, one per source
};

// Everything a split will do, worked out before any page moves. A plan with an
// error must not be carried out.
struct SplitPlan
{
    QString root; // the folder every destination lies inside
    QVector<SplitPlanItem> items;
    QStringList warnings; // skipped rows and missing pages, for the log
    QString error;        // why the split cannot run, naming the row and value
    int remaining = 0;    // pages no item takes; they stay where they are

    bool ok() const { return error.isEmpty(); }
    int pageCount() const
    {
        int pages = 0;
        for (const SplitPlanItem& item : items)
            pages += item.sources.size();
        return pages;
    }
};

// What a split did, or why it stopped.
struct SplitResult
{
    bool ok = false;
    int items = 0; // items that hold their pages now
    int pages = 0;
    QString message; // "分件完成" or what went wrong, for the operator
};

// The name of the page at position (1-based) in its run: its own name, or the
// position padded with zeros to the length of the source's name, then its suffix.
inline QString splitTargetName(const QString& sourceName, int position, bool rename)
{
    if (!rename)
        return sourceName;
    const QString suffix = QFileInfo(sourceName).suffix();
    const QString number =
        QStringLiteral("%1").arg(position, sourceName.size(), 10, QLatin1Char('0'));
    // A name without a suffix gets none, rather than a trailing dot.
    return suffix.isEmpty() ? number : number + QLatin1Char('.') + suffix;
}

inline QString splitProgressText(const QString& archiveNo)
{
    return QStringLiteral("正在分件：%1").arg(archiveNo);
}

inline QString splitUnfinishedText(int items, int pages, const QString& why)
{
    return QStringLiteral("分件未完成：已处理%1件%2页，%3").arg(items).arg(pages).arg(why);
}

inline QString splitFinishedText()
{
    return QStringLiteral("分件完成");
}
