#include "TaskContext.h"

TaskContext::TaskContext(QObject* parent) : QObject(parent) {}

void TaskContext::progress(const QString& text) const
{
    // Emitting is thread-safe; receivers connect queued, so nothing runs on the worker.
    emit const_cast<TaskContext*>(this)->progressed(text);
}

bool TaskContext::cancelled() const
{
    return m_cancelled.load(std::memory_order_relaxed);
}

void TaskContext::cancel()
{
    m_cancelled.store(true, std::memory_order_relaxed);
}
