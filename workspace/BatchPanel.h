#pragma once

#include "BatchSummary.h"

#include <QHash>
#include <QMap>
#include <QTemporaryDir>
#include <memory>
#include <QModelIndex>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <functional>

class ActionSettingsOpener;
class ActionTableModel;
class ButtonDelegate;
class CurrentImage;
class PageScene;
class QDialog;
class QPushButton;
class QTableView;
class QWidget;
class ToolbarCommands;

// The batch tab of the main window: the action list with its check boxes and
// settings buttons, the overlay preview of a clicked row, and the run over
// the files of the list. The window supplies its widgets and the hooks below
// and forwards the clicks; the list rows come from the toolbar's entries.
class BatchPanel : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        QWidget* window = nullptr;           // parent of every dialog
        QTableView* view = nullptr;          // the action list (tb_action)
        QPushButton* stopButton = nullptr;   // hidden: a run cannot be stopped
        ToolbarCommands* commands = nullptr; // toolbar entries and overlay previews
        CurrentImage* image = nullptr;
        PageScene* scene = nullptr;
        std::function<QStringList()> allFiles;     // full paths of the file list, in order
        std::function<QStringList()> checkedFiles; // the checked ones, in order
        std::function<void()> reopen;              // shows the file list's current file anew
        // Asks whether to save unsaved edits in the manual mode before a run; yes goes on.
        std::function<bool(const QString& title, const QString& text)> ask;
        // Tells the operator how the run went (counts, and the paths that did not go through).
        std::function<void(const BatchSummary& summary)> report;
    };

    BatchPanel(const Hooks& hooks, QObject* parent = nullptr);

    ActionTableModel* model() const { return m_model; }
    ButtonDelegate* delegate() const { return m_delegate; }
    ActionSettingsOpener* opener() const { return m_opener; }
    // Path -> resolution each file had when the last run read it.
    const QMap<QString, QPoint>& batchResolutions() const { return m_resolutions; }

    // Checks or unchecks a row (column 0), or previews its overlay.
    void actionClicked(const QModelIndex& index);
    // The row's parameter dialog, with the live previews of its overlay.
    void openSettings(const QModelIndex& index);
    // Runs the checked actions over files behind the progress dialog. Returns
    // an empty summary when the operator called the run off.
    BatchSummary run(const QStringList& files);
    // Follows files renamed on disk (old full path -> new).
    void followRenames(const QHash<QString, QString>& oldToNew);
    BatchSummary runAll();
    BatchSummary runChecked();

private:
    void previewOverlay(int actionCmd);
    void connectPreviews(QDialog* dialog, int actionCmd);
    void refreshResolutions(const QStringList& files);

    Hooks m_hooks;
    ActionTableModel* m_model = nullptr;
    ButtonDelegate* m_delegate = nullptr;
    ActionSettingsOpener* m_opener = nullptr;
    QMap<QString, QPoint> m_resolutions;
    // Where the runs keep the pages as they were, for undo; lives with the window.
    std::unique_ptr<QTemporaryDir> m_originals;
};
