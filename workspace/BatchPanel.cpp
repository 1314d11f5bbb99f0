#include "BatchPanel.h"

#include "ActionSettingsOpener.h"
#include "ActionTableModel.h"
#include "BatchActionList.h"
#include "BatchController.h"
#include "BatchJob.h"
#include "ButtonDelegate.h"
#include "CurrentImage.h"
#include "EditTextItem.h"
#include "ImageToolbar.h"
#include "OperationId.h"
#include "PageFile.h"
#include "PageInfo.h"
#include "PageMarginSetDlg.h"
#include "PageNoAreaSetDlg.h"
#include "PageScene.h"
#include "PathRekey.h"
#include "PendingEdits.h"
#include "ToolbarCommands.h"

#include <QDebug>
#include <QDir>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

BatchPanel::BatchPanel(const Hooks& hooks, QObject* parent) : QObject(parent), m_hooks(hooks)
{
    m_model = new ActionTableModel(this);
    m_delegate = new ButtonDelegate(this);
    m_opener = new ActionSettingsOpener(hooks.window, this);
    CurrentImage* image = hooks.image;
    m_opener->setImageProvider([image]() { return image->image(); });

    // The toolbar owns the hidden area-clearing action, so there is only one.
    ImageToolbar* bar = hooks.commands->toolbar();
    m_model->setActions(BatchActionList::build(bar->registeredEntries(), bar));
    BatchActionList::setUpView(hooks.view, m_model, m_delegate);
    if (hooks.stopButton)
        hooks.stopButton->hide();

    connect(m_delegate, &ButtonDelegate::buttonClicked, this, &BatchPanel::openSettings);
    connect(m_opener, &ActionSettingsOpener::dialogOpened, this, &BatchPanel::connectPreviews);
}

void BatchPanel::actionClicked(const QModelIndex& index)
{
    if (!index.isValid()) {
        qWarning() << "void index";
        return;
    }
    if (index.column() == 0) {
        m_model->toggleChecked(index.row());
        return;
    }
    previewOverlay(index.siblingAtColumn(2).data(ActionTableModel::kCmdRole).toInt());
}

void BatchPanel::previewOverlay(int actionCmd)
{
    PageScene* scene = m_hooks.scene;
    scene->pageNoItem()->setVisible(actionCmd == IMG_OPT_PAGENO_BATCH);
    // The operator's own "显示页边距" choice wins over the preview.
    if (!m_hooks.commands->toolbar()->marginButton()->isChecked())
        scene->setMarginFrameVisible(actionCmd == IMG_OPT_AREA_CLEAR);
    scene->update();
}

void BatchPanel::openSettings(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const int actionCmd = index.siblingAtColumn(2).data(ActionTableModel::kCmdRole).toInt();
    if (ActionSettingsOpener::targetFor(actionCmd) == ActionSettingsOpener::Target::Nothing)
        return;
    // The button sits in the row: the live previews need the row's overlay on screen.
    previewOverlay(actionCmd);
    m_opener->open(index);
}

void BatchPanel::connectPreviews(QDialog* dialog, int actionCmd)
{
    ToolbarCommands* commands = m_hooks.commands;
    if (actionCmd == IMG_OPT_AREA_CLEAR) {
        if (auto* margins = qobject_cast<PageMarginSetDlg*>(dialog))
            connect(margins, &PageMarginSetDlg::sigMarginChanged, commands,
                    &ToolbarCommands::previewMargins);
    } else if (actionCmd == IMG_OPT_PAGENO_BATCH) {
        if (auto* pageNo = qobject_cast<PageNoAreaSetDlg*>(dialog)) {
            connect(pageNo, &PageNoAreaSetDlg::sigPosChanged, commands,
                    &ToolbarCommands::slotUpdatePageNoArea);
            connect(pageNo, &PageNoAreaSetDlg::sigFontChanged, commands,
                    &ToolbarCommands::slotUpdatePageNoFont);
            connect(pageNo, &PageNoAreaSetDlg::sigFormatChanged, commands,
                    &ToolbarCommands::slotUpdatePageNoFormat);
        }
    }
}

BatchSummary BatchPanel::runAll()
{
    return run(m_hooks.allFiles ? m_hooks.allFiles() : QStringList());
}

BatchSummary BatchPanel::runChecked()
{
    return run(m_hooks.checkedFiles ? m_hooks.checkedFiles() : QStringList());
}

BatchSummary BatchPanel::run(const QStringList& files)
{
    CurrentImage* image = m_hooks.image;
    // Unsaved edits reach the disk before the batch reads the files (asked
    // first in the manual mode); the stale pixels are dropped afterwards, so
    // neither the reopen nor an edit in the meantime can write them over the
    // batch's result.
    if (!PendingEdits::settle(*image, m_hooks.ask))
        return BatchSummary();

    BatchJob job =
        BatchJob::fromProcess(files, BatchController::actionIds(m_model->checkedActions()));
    if (!m_originals || !m_originals->isValid())
        m_originals = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                      QStringLiteral("/tarvo-originals-XXXXXX"));
    if (m_originals->isValid())
        job.originalsFolder = m_originals->path();
    else
        qWarning() << "no folder for the originals: a batch run cannot be undone";
    // The page-number item and the page belong to the GUI thread: the run gets
    // a copy. Without a page on screen each file is numbered on its own.
    job.numbering = m_hooks.scene->pageNumberSnapshot();
    job.numberingFromView = image->isOpen();

    BatchController::HistoryHooks history;
    history.clearAll = [image]() { image->clearHistory(); };
    history.pushOnly = [image](const QString& path, const std::shared_ptr<OriginalPage>& before) {
        image->history().pushUndo(path, HistoryEntry(before));
    };
    m_resolutions.clear();
    const BatchSummary summary =
        BatchController::start(m_hooks.window, job, history, m_hooks.reopen);
    image->close();
    m_resolutions = summary.initialResolutions;
    if (job.actions.contains(IMG_OPT_DPI))
        refreshResolutions(files);
    if (m_hooks.report)
        m_hooks.report(summary);
    return summary;
}

void BatchPanel::followRenames(const QHash<QString, QString>& oldToNew)
{
    rekeyPaths(m_resolutions, oldToNew);
}

// Later saves of an edited page write the resolution remembered for it; after a
// resolution change that must be the new one, not the one first seen.
void BatchPanel::refreshResolutions(const QStringList& files)
{
    CurrentImage* image = m_hooks.image;
    for (const QString& path : files) {
        if (image->resolution(path) == qMakePair(0, 0))
            continue;
        const PageInfo info = PageFile::readInfo(path);
        if (info.valid)
            image->rememberResolution(path, info.dpiX, info.dpiY);
    }
}
