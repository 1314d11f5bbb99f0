#include "TabSplitPlanner.h"

#include "CellText.h"
#include "FolderEntries.h"
#include "ItemFolderName.h"
#include "PageNumberText.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringBuilder>

namespace {

QString notNumber(const SplitRow& row)
{
    return QStringLiteral("第%1行页号“%2”不是数字").arg(row.sheetRow).arg(row.pageNo);
}

QString badRange(const SplitRow& row)
{
    return QStringLiteral("第%1行页号范围“%2”不明确或格式不正确").arg(row.sheetRow).arg(row.pageNo);
}

// Every name in the folder, hidden ones and dangling links included: one listing
// instead of a file-system query per row.
QSet<QString> namesIn(const QString& folder)
{
    const QStringList names = FolderEntries::all(folder);
    return QSet<QString>(names.begin(), names.end());
}

} // namespace

void TabSplitPlanner::pagesByCount(const QVector<SplitRow>& rows, QVector<qint64>* pages)
{
    for (const SplitRow& row : rows) {
        qint64 count = 0;
        if (!cellInteger(QVariant(row.pageCount), &count))
            count = 0;
        pages->append(count);
    }
}

bool TabSplitPlanner::pagesByNumber(const QVector<SplitRow>& rows, QVector<qint64>* pages,
                                    SplitPlan* plan)
{
    const int n = rows.size();
    for (int i = 0; i < n; ++i) {
        const SplitRow& row = rows.at(i);
        qint64 start = 0;
        qint64 end = 0;
        if (i == n - 1) {
            // The last row carries its own range.
            if (!PageNumberText::range(row.pageNo, &start, &end) || start > end) {
                plan->error = badRange(row);
                return false;
            }
            pages->append(end - start + 1);
            continue;
        }
        qint64 first = 0;
        if (!PageNumberText::number(row.pageNo, &first)) {
            plan->error = notNumber(row);
            return false;
        }
        const SplitRow& next = rows.at(i + 1);
        qint64 nextFirst = 0;
        if (i == n - 2 && PageNumberText::isRange(next.pageNo)) {
            if (!PageNumberText::range(next.pageNo, &nextFirst, &end) || nextFirst > end) {
                plan->error = badRange(next);
                return false;
            }
        } else if (!PageNumberText::number(next.pageNo, &nextFirst)) {
            plan->error = notNumber(next);
            return false;
        }
        if (nextFirst <= first) {
            plan->error = QStringLiteral("第%1行页号“%2”没有大于第%3行页号“%4”")
                              .arg(next.sheetRow)
                              .arg(next.pageNo)
                              .arg(row.sheetRow)
                              .arg(row.pageNo);
            return false;
        }
        pages->append(nextFirst - first);
    }
    return true;
}

bool TabSplitPlanner::checkNames(const QString& folder, const QVector<SplitRow>& rows,
                                 const QVector<qint64>& pages, const QSet<QString>& taken,
                                 SplitPlan* plan)
{
    QHash<QString, int> seen;
    for (int i = 0; i < rows.size(); ++i) {
        if (pages.at(i) <= 0)
            continue;
        const SplitRow& row = rows.at(i);
        const QString why = ItemFolderName::problem(row.archiveNo);
        if (!why.isEmpty() || !ItemFolderName::staysInside(folder, row.archiveNo)) {
            plan->error = QStringLiteral("第%1行档号“%2”不能用作文件夹名：%3")
                              .arg(row.sheetRow)
                              .arg(row.archiveNo)
                              .arg(why.isEmpty() ? QStringLiteral("指向目标目录之外") : why);
            return false;
        }
        const auto earlier = seen.constFind(row.archiveNo);
        if (earlier != seen.constEnd()) {
            plan->error = QStringLiteral("第%1行档号“%2”与第%3行重复")
                              .arg(row.sheetRow)
                              .arg(row.archiveNo)
                              .arg(earlier.value());
            return false;
        }
        seen.insert(row.archiveNo, row.sheetRow);
        if (taken.contains(row.archiveNo)) {
            plan->error = QStringLiteral("第%1行档号“%2”的文件夹或同名文件已存在")
                              .arg(row.sheetRow)
                              .arg(row.archiveNo);
            return false;
        }
    }
    return true;
}

SplitPlan TabSplitPlanner::plan(const QString& folder, const QVector<SplitRow>& rows,
                                const QStringList& sources, SplitMode mode, bool rename)
{
    SplitPlan plan;
    plan.root = QDir::cleanPath(QDir(folder).absolutePath());
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        plan.error = QStringLiteral("图像文件的存放目录不存在或解析失败");
        return plan;
    }
    QVector<qint64> pages;
    pages.reserve(rows.size());
    bool counted = true;
    if (mode == SplitMode::PageCount)
        pagesByCount(rows, &pages);
    else
        counted = pagesByNumber(rows, &pages, &plan);
    const QSet<QString> taken = namesIn(plan.root);
    if (!counted || !checkNames(plan.root, rows, pages, taken, &plan))
        return plan;

    plan.items.reserve(rows.size());
    qint64 next = 0; // the first source no item has taken yet
    for (int i = 0; i < rows.size(); ++i) {
        const SplitRow& row = rows.at(i);
        const qint64 count = pages.at(i);
        if (count <= 0) {
            plan.warnings << row.archiveNo + QStringLiteral("页数为0");
            continue;
        }
        if (next + count > sources.size()) {
            plan.error =
                QStringLiteral("第%1行档号“%2”超出文件数量：条目需要至少%3页，文件只有%4个")
                    .arg(row.sheetRow)
                    .arg(row.archiveNo)
                    .arg(next + count)
                    .arg(sources.size());
            plan.items.clear();
            return plan;
        }
        SplitPlanItem item;
        item.sheetRow = row.sheetRow;
        item.archiveNo = row.archiveNo;
        item.folder = plan.root % QLatin1Char('/') % row.archiveNo;
        item.sources.reserve(int(count));
        item.targets.reserve(int(count));
        for (int k = 0; k < count; ++k) {
            const QString& source = sources.at(int(next + k));
            // Sources normally sit in the folder: its listing answers without a query.
            const int slash = source.lastIndexOf(QLatin1Char('/'));
            const QString name = source.mid(slash + 1);
            const bool present = source.leftRef(slash) == plan.root ? taken.contains(name)
                                                                    : QFileInfo::exists(source);
            if (!present) {
                plan.warnings << source + QStringLiteral(" is not found");
                continue;
            }
            item.sources << source;
            item.targets << item.folder % QLatin1Char('/') % splitTargetName(name, k + 1, rename);
        }
        plan.items.append(std::move(item));
        next += count;
    }
    plan.remaining = int(sources.size() - next);
    return plan;
}
