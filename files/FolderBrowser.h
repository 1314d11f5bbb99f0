#pragma once

#include <QModelIndex>
#include <QObject>
#include <QString>
#include <functional>

class FileTableModel;
class QFileSystemModel;

// The folder tree and the file list of the main window's left panel, without
// the widgets: owns both models and the current folder, and turns clicks and
// current-row changes of the two views into model changes plus a result the
// window applies to its own widgets (page counter, next code, opened image).
class FolderBrowser : public QObject
{
    Q_OBJECT
public:
    // What a click in the folder tree means for the window.
    struct FolderClick
    {
        bool valid = false;
        bool folderChanged = false; // differs from the current folder: clear histories
        QString path;
        QString name;
    };

    // The file list after the tree's current folder changed.
    struct FolderState
    {
        bool valid = false;
        QString folder;
        int pageCount = 0;     // shown by the page counter
        int nextCode = 1;      // largest running number + 1, for the scan naming
        QModelIndex firstFile; // row 0, column 1; invalid when the list is empty
        bool isEmpty() const { return pageCount == 0; }
    };

    // Text of the quality-check record for a folder name; a null string when none.
    using EntryLookup = std::function<QString(const QString& folderName)>;

    explicit FolderBrowser(QObject* parent = nullptr);

    // Directories only (no "." and "..", no symbolic links, no hidden ones) from the root.
    QFileSystemModel* folderModel() const { return m_folderModel; }
    FileTableModel* fileModel() const { return m_fileModel; }
    QString currentFolder() const { return m_currentFolder; }

    // Tree index of the data directory (invalid when rootPath is empty or missing).
    QModelIndex rootIndex(const QString& rootPath) const;

    FolderClick folderClicked(const QModelIndex& index) const;
    // Makes the folder at current the current folder and reloads the file list.
    FolderState folderChanged(const QModelIndex& current);
    // Reloads the current folder of the tree, as after a refresh button press.
    FolderState refresh(const QModelIndex& treeCurrent) { return folderChanged(treeCurrent); }
    // A click in the check column toggles the row's check; true when it did.
    bool fileClicked(const QModelIndex& index);

    void setEntryLookup(EntryLookup lookup) { m_entryLookup = std::move(lookup); }

private:
    bool isTreeIndex(const QModelIndex& index) const;

    QFileSystemModel* m_folderModel;
    FileTableModel* m_fileModel;
    QString m_currentFolder;
    EntryLookup m_entryLookup;
};
