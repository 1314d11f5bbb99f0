#include "ToolSplitPlanner.h"

#include "CaseFolderImages.h"
#include "CellText.h"
#include "FolderEntries.h"
#include "ItemFolderName.h"
#include "PageNumberCheck.h"

#include <QDebug>
#include <QDir>
#include <QHash>
#include <QSet>

namespace {

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QDir(path).absolutePath());
}

} // namespace

QStringList ToolSplitPlanner::storageFields(const QString& rule)
{
    return rule.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString ToolSplitPlanner::checkStorageRule(const QStringList& fields, const QStringList& headers)
{
    if (fields.isEmpty())
        return QStringLiteral("存储规则为空");
    for (const QString& field : fields) {
        if (!headers.contains(field))
            return QStringLiteral("条目中不包含存储规则字段：%1").arg(field);
    }
    return QString();
}

QString ToolSplitPlanner::pageCounts(const QVector<SplitRow>& rows, int pageCountColumn,
                                     QVector<qint64>* counts)
{
    counts->clear();
    counts->reserve(rows.size());
    for (const SplitRow& row : rows) {
        qint64 count = 0;
        // A negative count would hand the next item pages of this one.
        if (!cellInteger(QVariant(row.pageCount), &count) || count < 0)
            return QStringLiteral("页数格式错误：(%1,%2))").arg(row.sheetRow).arg(pageCountColumn);
        counts->append(count);
    }
    return QString();
}

QMap<QString, qint64> ToolSplitPlanner::caseFileTotals(const QVector<SplitRow>& rows,
                                                       const QVector<qint64>& counts)
{
    QMap<QString, qint64> totals;
    for (int i = 0; i < rows.size(); ++i)
        totals[rows.at(i).caseNo] += counts.at(i);
    return totals;
}

QStringList ToolSplitPlanner::folderProblems(const QString& dataDir, const QStringList& selected,
                                             const QMap<QString, qint64>& totals,
                                             const ImageCounter& countImages)
{
    QStringList lines;
    for (const QString& caseNo : selected) {
        const auto total = totals.constFind(caseNo);
        if (total == totals.constEnd())
            lines << QStringLiteral("目录与条目不匹配：请检查%1").arg(caseNo);
        else if (countImages(QDir(dataDir).filePath(caseNo)) != total.value())
            lines << QStringLiteral("原文件数与条目不匹配：请检查%1").arg(caseNo);
    }
    return lines;
}

QString ToolSplitPlanner::checkFolders(const ToolSplitRequest& request)
{
    if (request.dataDir.isEmpty())
        return QStringLiteral("请先在目录树选择图像文件的存放目录");
    if (!QFileInfo(request.dataDir).isDir())
        return QStringLiteral("图像文件的存放目录不存在或解析失败");
    for (const QString& caseNo : request.selected) {
        const QString why = ItemFolderName::problem(caseNo);
        if (!why.isEmpty() || !ItemFolderName::staysInside(request.dataDir, caseNo))
            return QStringLiteral("案卷目录“%1”不能使用：%2")
                .arg(caseNo, why.isEmpty() ? QStringLiteral("指向数据目录之外") : why);
    }
    if (request.outputDir.isEmpty() || !QFileInfo(request.outputDir).isDir())
        return QStringLiteral("分件后的保存目录不存在：%1").arg(request.outputDir);
    return QString();
}

QString ToolSplitPlanner::destination(const ToolSplitRequest& request, int index, QString* folder)
{
    const SplitRow& row = request.rows.at(index);
    QString relative;
    for (int f = 0; f < request.storageFields.size(); ++f) {
        const QString value = row.storageValues.value(f);
        const QString why = ItemFolderName::problem(value);
        if (!why.isEmpty())
            return QStringLiteral("第%1行%2“%3”不能用作文件夹名：%4")
                .arg(row.sheetRow)
                .arg(request.storageFields.at(f), value, why);
        relative += (relative.isEmpty() ? QString() : QStringLiteral("/")) + value;
    }
    if (!ItemFolderName::staysInside(request.outputDir, relative) ||
        !ItemFolderName::resolvesInside(request.outputDir, relative))
        return QStringLiteral("第%1行的保存位置“%2”在保存目录之外").arg(row.sheetRow).arg(relative);
    *folder = cleanAbsolute(request.outputDir) + QLatin1Char('/') + relative;
    return QString();
}

bool ToolSplitPlanner::placePages(const ToolSplitRequest& request, const QVector<qint64>& counts,
                                  SplitPlan* plan)
{
    const QSet<QString> selected(request.selected.begin(), request.selected.end());
    QHash<QString, QStringList> images;     // case file -> its images
    QHash<QString, qint64> offsets;         // case file -> the next image not yet given
    QHash<QString, QSet<QString>> existing; // destination folder -> names in it
    QSet<QString> targets;
    for (int i = 0; i < request.rows.size(); ++i) {
        const SplitRow& row = request.rows.at(i);
        if (!selected.contains(row.caseNo))
            continue;
        SplitPlanItem item;
        item.sheetRow = row.sheetRow;
        item.archiveNo = row.archiveNo;
        plan->error = destination(request, i, &item.folder);
        if (!plan->ok())
            return false;
        const QString source = cleanAbsolute(QDir(request.dataDir).filePath(row.caseNo));
        if (!images.contains(row.caseNo))
            images.insert(row.caseNo, CaseFolderImages::list(source));
        if (!existing.contains(item.folder)) {
            const QStringList names = FolderEntries::all(item.folder);
            existing.insert(item.folder, QSet<QString>(names.begin(), names.end()));
        }
        const QStringList& names = images[row.caseNo];
        const QSet<QString>& taken = existing[item.folder];
        qint64& offset = offsets[row.caseNo];
        for (qint64 k = offset; k < offset + counts.at(i); ++k) {
            if (k >= names.size()) {
                plan->warnings << row.archiveNo + QStringLiteral(" 超出文件数量..");
                break;
            }
            const QString& name = names.at(int(k));
            const QString targetName = splitTargetName(name, int(k + 1), request.rename);
            const QString target = item.folder + QLatin1Char('/') + targetName;
            if (taken.contains(targetName) || targets.contains(target)) {
                plan->error = QStringLiteral("第%1行档号“%2”的目标文件已存在：%3")
                                  .arg(row.sheetRow)
                                  .arg(row.archiveNo, target);
                return false;
            }
            targets.insert(target);
            item.sources << source + QLatin1Char('/') + name;
            item.targets << target;
        }
        offset += counts.at(i);
        plan->items.append(item);
    }
    return true;
}

SplitPlan ToolSplitPlanner::plan(const ToolSplitRequest& request)
{
    SplitPlan plan;
    plan.root = cleanAbsolute(request.outputDir);
    plan.error = checkFolders(request);
    if (plan.error.isEmpty())
        plan.error = checkStorageRule(request.storageFields, request.headers);
    QVector<qint64> counts;
    if (plan.error.isEmpty())
        plan.error = pageCounts(request.rows, request.pageCountColumn, &counts);
    const bool byNumber = request.mode == SplitMode::PageNumber;
    if (plan.error.isEmpty() && (byNumber || request.checkPages)) {
        const QSet<QString> selected(request.selected.begin(), request.selected.end());
        plan.error =
            PageNumberCheck(request.checkPages, byNumber).check(request.rows, selected, &counts);
    }
    if (!plan.ok())
        return plan;
    const QMap<QString, qint64> totals = caseFileTotals(request.rows, counts);
    const QStringList lines =
        folderProblems(request.dataDir, request.selected, totals,
                       [](const QString& folder) { return CaseFolderImages::list(folder).size(); });
    if (!lines.isEmpty()) {
        plan.error = lines.join(QStringLiteral("\r\n"));
        return plan;
    }
    if (!placePages(request, counts, &plan))
        plan.items.clear();
    return plan;
}
