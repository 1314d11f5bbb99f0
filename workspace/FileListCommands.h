#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <functional>

class FileTableModel;
class QMenu;
class QUrl;
class QWidget;

// The file list's commands besides renaming: deleting the current or the
// checked pages (to the desktop trash), checking rows by number, opening a
// page in the system's viewer, and bringing the last deleted pages back. It
// builds the list's context menu too. Everything it needs from the window
// comes through Hooks, so it runs without one in tests.
class FileListCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        FileTableModel* files = nullptr;
        std::function<int()> currentRow;      // -1 when none
        std::function<QString()> currentText; // display text of the current cell
        std::function<bool(const QString& title, const QString& text)> ask;
        // Row numbers typed by the operator; empty when cancelled.
        std::function<QString(const QString& title, const QString& pattern)> askSequence;
        std::function<void(const QString& text)> notifyError;
        std::function<void(const QString& text)> notify;
        std::function<bool(const QUrl& url)> openUrl;
        // Pages about to leave the folder (the open one is written first).
        std::function<void(const QStringList& paths)> aboutToDelete;
        // Pages gone; before is the list as it was, reload asks for a new listing.
        std::function<void(const QStringList& paths, const QStringList& before, bool reload)>
            deleted;
        // Pages back under their names: the list is read anew.
        std::function<void(const QStringList& paths)> restored;
    };

    explicit FileListCommands(Hooks hooks, QObject* parent = nullptr);

    void setAsk(std::function<bool(const QString&, const QString&)> ask);

    void deleteCurrent();
    // The button reloads the list afterwards, the context menu does not.
    void deleteChecked(bool reload);
    void checkBySequence();
    void openCurrentFile();
    // Brings the pages of the last delete back from the trash under their own
    // names; a name taken meanwhile keeps its file and the page stays in the trash.
    void undoDelete();
    bool canUndoDelete() const { return !m_lastDeleted.isEmpty(); }

    // The context menu in its fixed order, then 撤销删除 after a separator.
    QMenu* contextMenu(QWidget* parent);

private:
    void finishDelete(const QStringList& before, bool ok, bool reload);

    Hooks m_hooks;
    // Original path -> path in the trash, of the last delete.
    QList<QPair<QString, QString>> m_lastDeleted;
};
