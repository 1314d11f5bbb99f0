#include "BatchController.h"

#include "BackgroundTask.h"
#include "BatchRunner.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSet>
#include <QTimer>
#include <QWidget>

namespace {

const int kReopenDelayMs = 500;

} // namespace

BatchSummary BatchController::start(QWidget* parent, const BatchJob& job,
                                    const HistoryHooks& history,
                                    const std::function<void()>& reopen)
{
    qInfo() << "开始批量处理...";
    if (history.clearAll)
        history.clearAll();
    const BatchSummary summary = run(parent, job);
    fillHistory(job.files, summary, history);
    if (reopen) {
        QObject* context = parent ? static_cast<QObject*>(parent) : QCoreApplication::instance();
        QTimer::singleShot(kReopenDelayMs, context, reopen);
    }
    return summary;
}

void BatchController::fillHistory(const QStringList& files, const BatchSummary& summary,
                                  const HistoryHooks& history)
{
    QSet<QString> done;
    for (const QString& path : files) {
        const auto original = summary.originals.constFind(path);
        if (original == summary.originals.constEnd() || done.contains(path))
            continue;
        done.insert(path);
        qDebug().noquote() << QStringLiteral("入栈：") + path;
        if (history.pushOnly)
            history.pushOnly(path, original.value());
    }
}

BatchSummary BatchController::run(QWidget* parent, const BatchJob& job)
{
    BatchSummary summary;
    BackgroundTask::run(parent, [&job, &summary](TaskContext& context) {
        summary =
            BatchRunner::run(job, [&context](const QString& text) { context.progress(text); });
    });
    return summary;
}

QList<int> BatchController::actionIds(const QList<stActionData>& rows)
{
    QList<int> ids;
    for (const stActionData& row : rows) {
        if (row.checked != 0)
            ids.append(row.actionCmd);
    }
    return ids;
}
