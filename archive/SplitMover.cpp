#include "SplitMover.h"

#include "RenameTransaction.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace {

// A change whose undo failed leaves its journal; the next listing of the folder mends it.
bool journalLeft(const QString& folder)
{
    return QFileInfo::exists(QDir(folder).filePath(RenameTransaction::journalName()));
}

} // namespace

void SplitMover::removeFolders(const QStringList& folders)
{
    // rmdir removes only empty folders, so a page left behind is never lost.
    for (auto it = folders.crbegin(); it != folders.crend(); ++it)
        QDir().rmdir(*it);
}

QString SplitMover::failedPage(const QVector<QPair<QString, QString>>& moves, const QString& from,
                               const QString& to)
{
    for (const auto& move : moves) {
        if (move.first == from || move.second == to)
            return move.second == to ? to : from;
    }
    return from;
}

SplitMover::Result SplitMover::run(const SplitPlan& plan)
{
    Result result;
    if (!plan.ok()) {
        result.message = plan.error;
        return result;
    }
    if (cancelled()) {
        result.message = splitUnfinishedText(0, 0, QStringLiteral("已取消"));
        return result;
    }
    QStringList created;
    for (const SplitPlanItem& item : plan.items) {
        if (!QDir().mkdir(item.folder)) {
            removeFolders(created);
            result.message =
                splitUnfinishedText(0, 0, QStringLiteral("无法创建文件夹：%1").arg(item.folder));
            return result;
        }
        created << item.folder;
    }

    RenameTransaction change(plan.root);
    QVector<QPair<QString, QString>> moves;
    // Step index -> item, for the steps that begin an item.
    QHash<int, int> firstSteps;
    for (int i = 0; i < plan.items.size(); ++i) {
        const SplitPlanItem& item = plan.items.at(i);
        if (!item.sources.isEmpty())
            firstSteps.insert(moves.size(), i);
        for (int k = 0; k < item.sources.size(); ++k) {
            change.add(item.sources.at(k), item.targets.at(k));
            moves.append({QDir::cleanPath(QFileInfo(item.sources.at(k)).absoluteFilePath()),
                          QDir::cleanPath(QFileInfo(item.targets.at(k)).absoluteFilePath())});
        }
    }
    const int count = moves.size();
    if (m_progress && !plan.items.isEmpty())
        m_progress(plan.items.first().archiveNo);
    if (m_progress && count > 1) {
        // The second phase puts pages at their targets (ordinals count..2*count-1).
        // A rollback reuses those ordinals, but then the target is gone again.
        change.setStepHook([&](int ordinal) {
            const int step = ordinal - count;
            if (step < 0 || step + 1 >= count || !firstSteps.contains(step + 1))
                return;
            if (QFileInfo::exists(moves.at(step).second))
                m_progress(plan.items.at(firstSteps.value(step + 1)).archiveNo);
        });
    }
    const RenameTransaction::Result done = change.commit();
    if (!done.ok) {
        const QString page = failedPage(moves, done.failedFrom, done.failedTo);
        QString why = QStringLiteral("移动“%1”失败：%2").arg(page, done.error);
        if (journalLeft(plan.root))
            why += QStringLiteral("；部分页面未能还原，重新打开该目录时会自动恢复");
        else
            removeFolders(created);
        qWarning().noquote() << "split refused or rolled back:" << why;
        result.message = splitUnfinishedText(0, 0, why);
        return result;
    }
    m_root = plan.root;
    m_moves = moves;
    m_folders = created;
    result.ok = true;
    result.items = plan.items.size();
    result.pages = count;
    result.message = splitFinishedText();
    return result;
}

SplitMover::Result SplitMover::undo()
{
    Result result;
    if (m_moves.isEmpty()) {
        result.message = QStringLiteral("没有可撤销的分件");
        return result;
    }
    RenameTransaction change(m_root);
    for (const auto& move : m_moves)
        change.add(move.second, move.first);
    const RenameTransaction::Result done = change.commit();
    if (!done.ok) {
        result.message = QStringLiteral("撤销分件失败：%1 %2").arg(done.failedFrom, done.error);
        return result;
    }
    removeFolders(m_folders);
    result.ok = true;
    result.items = m_folders.size();
    result.pages = m_moves.size();
    result.message = QStringLiteral("撤销分件完成");
    m_moves.clear();
    m_folders.clear();
    return result;
}
