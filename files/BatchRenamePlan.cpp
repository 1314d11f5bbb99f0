#include "BatchRenamePlan.h"

#include "NameUtils.h"
#include "PageNameCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QString folded(const QString& name)
{
    return name.toCaseFolded();
}

QString rowText(int row, const QString& text)
{
    return QStringLiteral("第%1行：%2").arg(row + 1).arg(text);
}

} // namespace

QVector<RenameRow> BatchRenamePlan::numbered(const QStringList& names, Mode mode,
                                             const QString& prefix, int start, int length,
                                             bool zeroFill, const QString& suffix)
{
    QVector<RenameRow> rows;
    int code = start;
    for (const QString& name : names) {
        const QString stem = prefix + codeText(code, length, zeroFill) + suffix;
        if (mode == Files) {
            const QStringList parts = name.split('.', Qt::SkipEmptyParts);
            const QString ext = parts.isEmpty() ? QString() : parts.last();
            rows.append({name, QStringLiteral("%1.%2").arg(stem, ext)});
        } else {
            rows.append({name, stem});
        }
        ++code;
    }
    return rows;
}

QVector<RenameRow> BatchRenamePlan::replaced(const QStringList& names, const QString& find,
                                             const QString& replacement)
{
    QVector<RenameRow> rows;
    const bool replacing = !find.isEmpty() && !replacement.isEmpty();
    for (const QString& name : names) {
        if (!find.isEmpty() && !name.contains(find, Qt::CaseSensitive))
            continue;
        QString changed = name;
        if (replacing)
            changed.replace(find, replacement, Qt::CaseSensitive);
        rows.append({name, changed});
    }
    return rows;
}

QString BatchRenamePlan::problem(const QString& dir, const QVector<RenameRow>& rows, Mode mode,
                                 const QString& dataRoot)
{
    const QDir folder(dir);
    if (!folder.exists())
        return QStringLiteral("文件夹不存在：%1").arg(dir);
    // Names that stay after the change: every entry except those that move away.
    QSet<QString> staying;
    for (const QString& entry :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        staying.insert(folded(entry));
    for (const RenameRow& row : rows) {
        if (row.oldName != row.newName)
            staying.remove(folded(row.oldName));
    }
    const PageNameCheck::Kind kind = mode == Files ? PageNameCheck::File : PageNameCheck::Folder;
    QHash<QString, int> taken; // folded new name -> row
    for (int i = 0; i < rows.size(); ++i) {
        const RenameRow& row = rows.at(i);
        const QString key = folded(row.newName);
        if (taken.contains(key)) {
            return rowText(i, QStringLiteral("新名称“%1”与第%2行重复")
                                  .arg(row.newName)
                                  .arg(taken.value(key) + 1));
        }
        taken.insert(key, i);
        if (row.oldName == row.newName)
            continue;
        const QFileInfo source(folder.filePath(row.oldName));
        if (mode == Files ? !source.isFile() : !source.isDir())
            return rowText(i, QStringLiteral("“%1”不存在").arg(row.oldName));
        const QString why = PageNameCheck::problem(row.newName, kind, dir, dataRoot);
        if (!why.isEmpty())
            return rowText(i, QStringLiteral("新名称“%1”%2").arg(row.newName, why));
        if (mode == Files && !PageNameCheck::sameFormat(row.oldName, row.newName))
            return rowText(i, QStringLiteral("“%1”不能改为另一种格式").arg(row.oldName));
        if (staying.contains(key))
            return rowText(i, QStringLiteral("“%1”已存在").arg(row.newName));
    }
    return QString();
}

QHash<QString, QString> BatchRenamePlan::pathMap(const QString& dir, const QVector<RenameRow>& rows)
{
    QHash<QString, QString> map;
    const QDir folder(dir);
    for (const RenameRow& row : rows) {
        if (row.oldName != row.newName)
            map.insert(QDir::cleanPath(folder.absoluteFilePath(row.oldName)),
                       QDir::cleanPath(folder.absoluteFilePath(row.newName)));
    }
    return map;
}

BatchRenamePlan::Outcome BatchRenamePlan::run(const QString& dir, const QVector<RenameRow>& rows,
                                              Mode mode, const QString& dataRoot,
                                              const RenameTransaction::StepHook& hook)
{
    const QString why = problem(dir, rows, mode, dataRoot);
    if (!why.isEmpty())
        return {false, why, {}};
    return runMap(dir, pathMap(dir, rows), mode == Folders, hook);
}

BatchRenamePlan::Outcome BatchRenamePlan::runMap(const QString& journalFolder,
                                                 const QHash<QString, QString>& oldToNew,
                                                 bool folders,
                                                 const RenameTransaction::StepHook& hook)
{
    RenameTransaction change(journalFolder);
    change.setFoldersAllowed(folders);
    change.setStepHook(hook);
    // Sorted, so the journal and the order of steps do not depend on hashing.
    QStringList sources = oldToNew.keys();
    sources.sort();
    for (const QString& source : sources)
        change.add(source, oldToNew.value(source));
    const RenameTransaction::Result result = change.commit();
    Outcome outcome;
    if (!result.ok) {
        outcome.ok = false;
        const QString what = result.failedFrom.isEmpty() ? journalFolder : result.failedFrom;
        outcome.message = QStringLiteral("%1重命名失败：%2").arg(what, result.error);
        return outcome;
    }
    outcome.renamed = change.map();
    return outcome;
}
