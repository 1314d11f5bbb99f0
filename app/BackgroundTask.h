#pragma once

#include "TaskContext.h"

#include <QString>
#include <functional>

class QWidget;

// Runs one long task on the global thread pool while the user interface waits in the
// modal WaitingDlg. Every long run of the program (batch, one-key undo, splitting,
// conversion, statistics) goes through here.
class BackgroundTask
{
public:
    // Blocks (in the dialog's event loop) until `task` has finished, even when the dialog
    // is cancelled or closed early. Shows `doneMessage` under "提示" when not empty and the
    // task completed. Returns false when the task threw (the exception is logged, not
    // propagated) or no task was given.
    static bool run(QWidget* parent, std::function<void(TaskContext&)> task,
                    const QString& doneMessage = QString());
};
