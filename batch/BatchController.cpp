#include "BatchController.h"

#include "BackgroundTask.h"
#include "BatchRunner.h"
#include "PageFile.h"

#include <QCoreApplication>
#include <QDebug>
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
    prepareHistory(job.files, history);
    const BatchSummary summary = run(parent, job);
    if (reopen) {
        QObject* context = parent ? static_cast<QObject*>(parent) : QCoreApplication::instance();
        QTimer::singleShot(kReopenDelayMs, context, reopen);
    }
    return summary;
}

void BatchController::prepareHistory(const QStringList& files, const HistoryHooks& history)
{
    if (history.clearAll)
        history.clearAll();
    for (const QString& path : files) {
        qDebug().noquote() << QStringLiteral("入栈：") + path;
        const cv::Mat image = PageFile::loadForEdit(path);
        if (!image.empty() && history.pushOnly)
            history.pushOnly(path, image);
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
