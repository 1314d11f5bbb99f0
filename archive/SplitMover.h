#pragma once

#include "SplitPlan.h"

#include <QPair>
#include <atomic>
#include <functional>

// Carries out the split tab's plan: creates the item folders, then moves every
// page in one rename transaction, so a failure anywhere puts every page back
// where it was. Keeps the last split so that it can be moved back.
class SplitMover
{
public:
    using Progress = std::function<void(const QString& archiveNo)>;

    using Result = SplitResult;

    // Told the archive number of each item as its pages start to move.
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Looked at before anything changes; a running move is never cut short.
    void setCancelFlag(const std::atomic_bool* cancelled) { m_cancelled = cancelled; }

    Result run(const SplitPlan& plan);
    bool canUndo() const { return !m_moves.isEmpty(); }
    // Moves the pages of the last split back and removes its emptied folders.
    Result undo();

private:
    bool cancelled() const { return m_cancelled && m_cancelled->load(); }
    static QString failedPage(const QVector<QPair<QString, QString>>& moves, const QString& from,
                              const QString& to);
    static void removeFolders(const QStringList& folders);

    Progress m_progress;
    const std::atomic_bool* m_cancelled = nullptr;
    QString m_root;
    QVector<QPair<QString, QString>> m_moves; // source -> target of the last split
    QStringList m_folders;                    // the folders the last split created
};
