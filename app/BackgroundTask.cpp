#include "BackgroundTask.h"

#include "CommonDialogs.h"
#include "WaitingDlg.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QtConcurrent>
#include <exception>

namespace {

// Runs the task on the worker; an exception must not reach Qt's thread pool.
bool runGuarded(const std::function<void(TaskContext&)>& task, TaskContext& context)
{
    try {
        task(context);
        return true;
    } catch (const std::exception& e) {
        qWarning() << "Caught exception:" << e.what();
    } catch (...) {
        qWarning() << "Caught exception: unknown";
    }
    return false;
}

} // namespace

bool BackgroundTask::run(QWidget* parent, std::function<void(TaskContext&)> task,
                         const QString& doneMessage)
{
    if (!task)
        return false;

    TaskContext context;
    WaitingDlg dialog(parent);
    QObject::connect(&context, &TaskContext::progressed, &dialog, &WaitingDlg::processUpdate,
                     Qt::QueuedConnection);
    QObject::connect(&dialog, &WaitingDlg::sigCancel, &dialog, [&context] { context.cancel(); });

    bool finished = false;
    QFutureWatcher<bool> watcher;
    QObject::connect(&watcher, &QFutureWatcher<bool>::finished, &dialog, [&] {
        qDebug() << "finished";
        finished = true;
        dialog.accept();
    });
    watcher.setFuture(QtConcurrent::run([&task, &context] { return runGuarded(task, context); }));

    // The dialog may be closed before the task ends (cancel button, Escape); the worker
    // still uses the context and the task, so keep waiting modally until it is done.
    while (!finished)
        dialog.exec();

    const bool completed = watcher.result();
    if (completed && !doneMessage.isEmpty())
        showMessage(QStringLiteral("提示"), doneMessage);
    return completed;
}
