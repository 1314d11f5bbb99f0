#pragma once

#include "BatchJob.h"
#include "BatchSummary.h"
#include "stActionData.h"

#include <QStringList>
#include <memory>
#include <functional>

class QWidget;

// The main window's side of a batch run, without knowing the window: the
// undo reset before the run and the run itself behind the modal progress
// dialog. The window supplies its history through the two hooks.
class BatchController
{
public:
    struct HistoryHooks
    {
        // Empties the undo and redo histories of every file.
        std::function<void()> clearAll;
        // Makes the page as it was before the run the only undo entry of the file at path.
        std::function<void(const QString& path, const std::shared_ptr<OriginalPage>& original)>
            pushOnly;
    };

    // Logs "开始批量处理...", resets the history, runs the job behind the
    // progress dialog (blocking, modal), makes each page's original its only
    // undo entry and, 500 ms after the dialog closes, calls reopen (the window
    // reopens its current file). Returns the summary. The workers keep the
    // originals as files in job.originalsFolder: nothing is decoded before the
    // dialog shows, and nothing until the operator undoes.
    static BatchSummary start(QWidget* parent, const BatchJob& job, const HistoryHooks& history,
                              const std::function<void()>& reopen);

    // Every read file's original as its only undo entry ("入栈：" path), in list
    // order. Files that could not be read get no entry.
    static void fillHistory(const QStringList& files, const BatchSummary& summary,
                            const HistoryHooks& history);

    // The identifiers of the checked rows, in list order; unchecked rows are passed over.
    static QList<int> actionIds(const QList<stActionData>& rows);

    // The run on a worker thread; progress texts go to the dialog.
    static BatchSummary run(QWidget* parent, const BatchJob& job);
};
