#pragma once

#include "BatchJob.h"
#include "BatchSummary.h"
#include "stActionData.h"

#include <QStringList>
#include <functional>
#include <opencv2/core.hpp>

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
        // Makes image the only undo entry of the file at path.
        std::function<void(const QString& path, const cv::Mat& image)> pushOnly;
    };

    // Logs "开始批量处理...", resets the history, runs the job behind the
    // progress dialog (blocking, modal) and, 500 ms after it closes, calls
    // reopen (the window reopens its current file). Returns the summary.
    static BatchSummary start(QWidget* parent, const BatchJob& job, const HistoryHooks& history,
                              const std::function<void()>& reopen);

    // Every file's pre-batch image as its only undo entry ("入栈：" path).
    // Files that cannot be opened get no entry.
    static void prepareHistory(const QStringList& files, const HistoryHooks& history);

    // The identifiers of the checked rows, in list order; unchecked rows are passed over.
    static QList<int> actionIds(const QList<stActionData>& rows);

    // The run on a worker thread; progress texts go to the dialog.
    static BatchSummary run(QWidget* parent, const BatchJob& job);
};
