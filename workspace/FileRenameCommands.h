#pragma once

#include "BatchRenamePlan.h"
#include "PageRename.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class FileTableModel;
class QWidget;

// Every rename the left panel offers: one file (by double click, also into
// another format), all or the checked files, find and replace, the current
// folder and its sub-folders, and taking back the last rename of the session.
// The window only hands clicks over; the hooks give it the folders and let the
// open page follow (file renames go through the file list's external change,
// folder renames release the open page first).
class FileRenameCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        QWidget* parent = nullptr;
        FileTableModel* files = nullptr;
        std::function<QString()> listFolder; // folder of the file list
        std::function<QString()> treeFolder; // current folder of the tree ("" when none)
        std::function<QString()> dataRoot;
        std::function<void()> releaseOpenPage;
        // Folders renamed on disk (old path -> new): the pages' histories follow.
        std::function<void(const QHash<QString, QString>& oldToNew)> foldersRenamed;
        // Makes path the tree's current folder and lists it anew.
        std::function<void(const QString& path)> showFolder;
        // A typed name; "" when cancelled. Defaults to the common input dialog.
        std::function<QString(const QString& title, const QString& label, const QString& text)>
            askText;
        // A refusal or failure; defaults to a "错误" box.
        std::function<void(const QString& text)> tellError;
    };

    explicit FileRenameCommands(Hooks hooks, QObject* parent = nullptr);

    void renameAllFiles();
    void renameCheckedFiles();
    void replaceNames();
    void renameFile(int row);
    void renameFolder();
    void renameSubFolders();
    // Whether the last rename can be taken back: there is one, and every page
    // is still under its new name and no old name was taken meanwhile.
    bool canUndo() const;
    void undoLastRename();

    // The steps behind the dialogs, usable without them.
    BatchRenamePlan::Outcome runFileRows(const QString& dir, const QVector<RenameRow>& rows);
    BatchRenamePlan::Outcome runFolderRows(const QString& dir, const QVector<RenameRow>& rows);
    PageRename::Result renameFileTo(const QString& dir, const QString& oldName,
                                    const QString& newName);
    // "" when the folder at path took newName, else why not.
    QString renameFolderTo(const QString& path, const QString& newName);

private:
    struct Change
    {
        QString journalFolder;
        QHash<QString, QString> oldToNew;
        bool folders = false;
    };

    void batchRenameFiles(const QStringList& names);
    void remember(const QString& journalFolder, const QHash<QString, QString>& oldToNew,
                  bool folders);
    // The tree's folder after the folder renames of oldToNew.
    QString followedFolder(const QString& folder, const QHash<QString, QString>& oldToNew) const;
    QString root() const;

    Hooks m_hooks;
    Change m_last;
    bool m_hasLast = false;
};
