#pragma once

#include "HistoryEntry.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <opencv2/core.hpp>

// Per-file undo and redo lists of page states, oldest first. Lists live until
// clear(); there is no depth limit, as an operator expects every step of a page
// to be reachable until the folder changes.
class EditHistory
{
public:
    // Records the state before an operation; logs "init stack" the first time a file is seen.
    void pushUndo(const QString& path, const cv::Mat& before);
    void pushUndo(const QString& path, const HistoryEntry& before);
    void clearRedo(const QString& path);
    void clearAllRedo();
    void clear();

    // Moves one step back (or forward): stores current on the other list and
    // returns the state to show, or an empty matrix when there is none. A kept
    // original that cannot be read any more leaves both lists as they were.
    cv::Mat undo(const QString& path, const cv::Mat& current);
    cv::Mat redo(const QString& path, const cv::Mat& current);

    bool canUndo(const QString& path) const;
    bool canRedo(const QString& path) const;
    int undoDepth(const QString& path) const;
    int redoDepth(const QString& path) const;

    // Files with an undo list, in path order, and the state each had before its first edit.
    QStringList undoPaths() const;
    // Every file with an undo or a redo list.
    QStringList knownPaths() const;
    HistoryEntry oldest(const QString& path) const;

    // Follows files renamed on disk: the lists of each old path move to its new one.
    void rename(const QHash<QString, QString>& oldToNew);
    // Drops the lists of deleted files, so a file that takes such a name later
    // never gets their states.
    void forget(const QStringList& paths);

private:
    static cv::Mat step(QList<HistoryEntry>& from, QList<HistoryEntry>& to, const cv::Mat& current);

    QMap<QString, QList<HistoryEntry>> undo_;
    QMap<QString, QList<HistoryEntry>> redo_;
};
