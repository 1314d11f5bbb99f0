#pragma once

#include "EditHistory.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QVariant>
#include <functional>
#include <opencv2/core.hpp>

// The page being edited: its file, its pixels, its edit history and the save
// mode that decides when edits reach the disk. Everything the main window does
// to the current image goes through here, so it can be driven without a window.
class CurrentImage
{
public:
    enum SaveMode
    {
        FullyAutomatic = 1,
        OnPageTurn = 2,
        Manual = 3
    };

    // Result of one engine call: the new image, or why there is none.
    struct OperationResult
    {
        enum Status
        {
            Applied,
            MissingParameter,
            UnknownOperation
        };
        Status status = Applied;
        cv::Mat image;
    };
    using Engine =
        std::function<OperationResult(int optId, const cv::Mat& in, const QVariant& param)>;
    using Progress = std::function<void(const QString&)>;

    // Where open() gets its pixels: PageFile::loadForEdit unless replaced (a prefetching cache).
    using Loader = std::function<cv::Mat(const QString& path)>;
    // Told about every write of the page that did not reach the disk.
    using SaveFailed = std::function<void(const QString& path)>;

    explicit CurrentImage(Engine engine = {});
    void setLoader(Loader loader) { loader_ = std::move(loader); }
    void setSaveFailedHandler(SaveFailed handler) { saveFailed_ = std::move(handler); }

    void setSaveMode(int mode);
    SaveMode saveMode() const { return saveMode_; }

    // Opens path; in the save-on-turn mode the file being left is written first
    // when it has edits. Opening the file already open only reads it anew from
    // disk (after something else wrote it) and never writes it. On a decoding
    // failure nothing stays open, so no later operation can write the previous
    // page's pixels into this file.
    bool open(const QString& path);
    // Leaving the file without opening another (emptied list, another folder,
    // a change of names): in the save-on-turn mode unsaved changes are written.
    // False when that write failed.
    bool leave();
    void close();

    const QString& file() const { return file_; }
    const cv::Mat& image() const { return image_; }
    bool isOpen() const { return !image_.empty(); }
    // The pixels on screen differ from the file: another state of the history
    // than the one last read or written, or the last write failed.
    bool hasUnsavedChanges() const;
    int lastOperation() const { return lastOperation_; }

    // Runs one operation with history; false when nothing changed on screen.
    bool executeOperation(int optId, bool run, const QVariant& param);
    // Replaces the pixels after an operation that changed the file itself (page-number signing).
    bool reload();
    // Drops every undo and redo list. The open page keeps its state: unsaved
    // edits stay unsaved, a page as on disk stays so.
    void clearHistory();
    bool undo();
    bool redo();
    bool save();

    bool canUndo() const { return history_.canUndo(file_); }
    bool canRedo() const { return history_.canRedo(file_); }
    EditHistory& history() { return history_; }

    // Resolution of a file as first seen, used whenever it is written back.
    QPair<int, int> resolution(const QString& path) const;
    void rememberResolution(const QString& path, int dpiX, int dpiY);

    // Follows files renamed on disk (old full path -> new): the open file, the
    // undo and redo lists and the remembered resolutions move with their pages.
    void followRenames(const QHash<QString, QString>& oldToNew);
    // Forgets deleted files: their lists and resolutions. The open file is the
    // caller's to close first.
    void forget(const QStringList& paths);
    // The same for whole folders renamed (old folder path -> new) or deleted:
    // every page under one follows it or is forgotten, so a page that later
    // takes an old path never gets another page's states.
    void followFolderRenames(const QHash<QString, QString>& oldToNew);
    void forgetUnder(const QString& folder);

    // Writes every edited file of the history back as it was before its first edit,
    // whatever the save mode, and empties the redo lists. Safe to call off the GUI thread
    // as long as the GUI does not touch this object meanwhile.
    int restoreOriginals(const Progress& progress);

private:
    bool writeTo(const QString& path, const cv::Mat& image) const;
    void changed();
    void markOnDisk();

    Engine engine_;
    Loader loader_;
    SaveFailed saveFailed_;
    // Undo depth of the state the file holds; -1 once that state was dropped
    // from the redo list by a new operation.
    int diskDepth_ = 0;
    bool writeFailed_ = false;
    SaveMode saveMode_ = FullyAutomatic;
    QString file_;
    cv::Mat image_;
    EditHistory history_;
    QHash<QString, QPair<int, int>> resolutions_;
    int lastOperation_ = -1;
};
