#pragma once

#include <QModelIndex>
#include <QObject>
#include <QString>
#include <functional>

class FolderBrowser;
class QUrl;
class QWidget;

// The folder panel's commands: a new folder, a run of numbered folders,
// deleting a folder, choosing the data directory and opening a folder in the
// file manager. The window hands each button over; everything the commands
// need from it comes through Hooks, so they run without a window in tests.
class FolderCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        QWidget* window = nullptr; // parent of the dialogs
        FolderBrowser* browser = nullptr;
        std::function<QModelIndex()> currentIndex; // the tree's current folder
        std::function<QString()> rootPath;         // the data directory shown
        std::function<bool(const QString& title, const QString& text)> ask;
        std::function<QString(const QString& title, const QString& label, const QString& text)>
            askText;
        // The data directory the operator picks; empty when cancelled.
        std::function<QString()> chooseDirectory;
        std::function<bool()> askPermanent; // no trash: delete for good?
        std::function<void(const QString& text)> notifyError;
        std::function<void(const QString& text)> notify;
        // The open page is written and closed when it lies under path.
        std::function<void(const QString& path)> releasePagesUnder;
        // A folder to show after the current one went; empty when none is left.
        std::function<void(const QString& path)> selectFolder;
        std::function<void(const QString& path)> setRoot;
        std::function<bool(const QUrl& url)> openUrl;
    };

    explicit FolderCommands(Hooks hooks, QObject* parent = nullptr);

    void newFolder();
    void createFolders();
    void deleteFolder();
    void setDataDirectory();
    void openFolder();

    // Files anywhere under path, hidden ones included.
    static int fileCount(const QString& path);

private:
    // The tree's current folder, or a message and an empty string.
    QString currentFolder();

    Hooks m_hooks;
};
