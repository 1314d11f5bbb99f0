#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <opencv2/core.hpp>

// Per-file undo and redo lists of full image copies, oldest first. Lists live
// until clear(); there is no depth limit, as an operator expects every step of
// a page to be reachable until the folder changes.
class EditHistory
{
public:
    // Records the state before an operation; logs "init stack" the first time a file is seen.
    void pushUndo(const QString& path, const cv::Mat& before);
    void clearRedo(const QString& path);
    void clearAllRedo();
    void clear();

    // Moves one step back (or forward): stores current on the other list and
    // returns the state to show, or an empty matrix when there is none.
    cv::Mat undo(const QString& path, const cv::Mat& current);
    cv::Mat redo(const QString& path, const cv::Mat& current);

    bool canUndo(const QString& path) const;
    bool canRedo(const QString& path) const;
    int undoDepth(const QString& path) const;
    int redoDepth(const QString& path) const;

    // Files with an undo list, in path order, and the state each had before its first edit.
    QStringList undoPaths() const;
    cv::Mat oldest(const QString& path) const;

private:
    static cv::Mat step(QList<cv::Mat>& from, QList<cv::Mat>& to, const cv::Mat& current);

    QMap<QString, QList<cv::Mat>> undo_;
    QMap<QString, QList<cv::Mat>> redo_;
};
