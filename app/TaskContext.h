#pragma once

#include <QObject>
#include <QString>
#include <atomic>

// What a background task sees of the user interface: a way to report progress text
// and a cancel flag. Safe to call from the worker thread; the progress text reaches
// the user interface only through a queued signal.
class TaskContext : public QObject
{
    Q_OBJECT
public:
    explicit TaskContext(QObject* parent = nullptr);

    // Worker side.
    void progress(const QString& text) const;
    bool cancelled() const;

    // User-interface side: asks the task to stop at its next check.
    void cancel();

signals:
    void progressed(const QString& text);

private:
    std::atomic<bool> m_cancelled{false};
};
