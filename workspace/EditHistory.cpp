#include "EditHistory.h"

#include "PathRekey.h"

#include <QDebug>

void EditHistory::pushUndo(const QString& path, const cv::Mat& before)
{
    pushUndo(path, HistoryEntry(before));
}

void EditHistory::pushUndo(const QString& path, const HistoryEntry& before)
{
    auto it = undo_.find(path);
    if (it == undo_.end()) {
        it = undo_.insert(path, {});
        qDebug() << "init stack" << path;
    }
    it->append(before);
}

void EditHistory::clearRedo(const QString& path)
{
    auto it = redo_.find(path);
    if (it != redo_.end())
        it->clear();
}

void EditHistory::clearAllRedo()
{
    for (auto& list : redo_)
        list.clear();
}

void EditHistory::clear()
{
    undo_.clear();
    redo_.clear();
}

cv::Mat EditHistory::step(QList<HistoryEntry>& from, QList<HistoryEntry>& to,
                          const cv::Mat& current)
{
    if (from.isEmpty())
        return cv::Mat();
    const cv::Mat pixels = from.last().pixels();
    if (pixels.empty())
        return cv::Mat();
    to.append(HistoryEntry(current));
    from.removeLast();
    return pixels;
}

cv::Mat EditHistory::undo(const QString& path, const cv::Mat& current)
{
    auto it = undo_.find(path);
    if (it == undo_.end() || it->isEmpty())
        return cv::Mat();
    return step(*it, redo_[path], current);
}

cv::Mat EditHistory::redo(const QString& path, const cv::Mat& current)
{
    auto it = redo_.find(path);
    if (it == redo_.end() || it->isEmpty())
        return cv::Mat();
    return step(*it, undo_[path], current);
}

bool EditHistory::canUndo(const QString& path) const
{
    return undoDepth(path) > 0;
}

bool EditHistory::canRedo(const QString& path) const
{
    return redoDepth(path) > 0;
}

int EditHistory::undoDepth(const QString& path) const
{
    return undo_.value(path).size();
}

int EditHistory::redoDepth(const QString& path) const
{
    return redo_.value(path).size();
}

QStringList EditHistory::undoPaths() const
{
    return undo_.keys();
}

HistoryEntry EditHistory::oldest(const QString& path) const
{
    const auto it = undo_.find(path);
    if (it == undo_.end() || it->isEmpty())
        return HistoryEntry();
    return it->first();
}

void EditHistory::rename(const QHash<QString, QString>& oldToNew)
{
    rekeyPaths(undo_, oldToNew);
    rekeyPaths(redo_, oldToNew);
}

void EditHistory::forget(const QStringList& paths)
{
    for (const QString& path : paths) {
        undo_.remove(path);
        redo_.remove(path);
    }
}

QStringList EditHistory::knownPaths() const
{
    QStringList paths = undo_.keys();
    for (auto it = redo_.constBegin(); it != redo_.constEnd(); ++it) {
        if (!undo_.contains(it.key()))
            paths.append(it.key());
    }
    return paths;
}
