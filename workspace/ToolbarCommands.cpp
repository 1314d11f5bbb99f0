#include "ToolbarCommands.h"

#include "ActionSettingsOpener.h"
#include "BackgroundTask.h"
#include "CommonDialogs.h"
#include "CurrentImage.h"
#include "DpiSetDlg.h"
#include "EditTextItem.h"
#include "GestureController.h"
#include "GraphicsView.h"
#include "ImageColourSetDlg.h"
#include "ImageToolbar.h"
#include "OperationId.h"
#include "PageFile.h"
#include "PageMarginSetDlg.h"
#include "PageNoAreaSetDlg.h"
#include "PageNumberStamper.h"
#include "PageScene.h"
#include "PageSizeSetDlg.h"
#include "PendingEdits.h"
#include "ProcessParams.h"

#include <QColorDialog>
#include <QDebug>
#include <QSize>
#include <QToolButton>

ToolbarCommands::ToolbarCommands(const Hooks& hooks, const QMap<QString, QString>& shortcuts,
                                 QObject* parent)
    : QObject(parent), m_hooks(hooks)
{
    m_toolbar = new ImageToolbar(shortcuts, hooks.window);
    m_gestures = new GestureController(*hooks.image, *hooks.scene, *hooks.clipboard, this);
    connectToolbar();
}

void ToolbarCommands::connectToolbar()
{
    ImageToolbar* bar = m_toolbar;
    GestureController* gestures = m_gestures;
    connect(bar, &ImageToolbar::operationTriggered, this,
            [this](int optId) { m_hooks.execute(optId, true, QVariant()); });
    connect(bar, &ImageToolbar::rectangleModeToggled, gestures,
            &GestureController::onRectangleModeToggled);
    connect(bar, &ImageToolbar::gestureArmed, gestures, &GestureController::arm);
    connect(bar, &ImageToolbar::fourPointRequested, gestures, &GestureController::startFourPoint);
    connect(bar, &ImageToolbar::regionCopyRequested, gestures, &GestureController::startRegionCopy);
    connect(bar, &ImageToolbar::pasteRequested, gestures, &GestureController::startPaste);
    connect(bar, &ImageToolbar::confirmRequested, gestures, &GestureController::confirm);
    connect(bar, &ImageToolbar::cancelRequested, gestures, &GestureController::cancel);

    connect(
        gestures, &GestureController::executeRequested, this,
        [this](int optId, bool run, const QVariant& param) { m_hooks.execute(optId, run, param); });
    connect(gestures, &GestureController::drawModeChanged, m_hooks.view,
            &GraphicsView::setDrawMode);
    connect(gestures, &GestureController::markersVisibleChanged, m_hooks.view,
            &GraphicsView::setShowMarkers);
    connect(gestures, &GestureController::twoStepChanged, bar, &ImageToolbar::setTwoStepActive);

    connect(bar, &ImageToolbar::marginsToggled, this, &ToolbarCommands::toggleMargins);
    connect(bar, &ImageToolbar::marginSettingsRequested, this, &ToolbarCommands::editMargins);
    connect(bar, &ImageToolbar::signPageNumberRequested, this, &ToolbarCommands::signPageNumber);
    connect(bar, &ImageToolbar::batchPageNumbersRequested, this, &ToolbarCommands::numberAllPages);
    connect(bar, &ImageToolbar::dpiRequested, this, &ToolbarCommands::changeDpi);
    connect(bar, &ImageToolbar::pageSizeRequested, this, &ToolbarCommands::changePageSize);
    connect(bar, &ImageToolbar::colourAdjustRequested, this, &ToolbarCommands::adjustColour);
    connect(bar, &ImageToolbar::colourSettingsRequested, this,
            &ToolbarCommands::editColourSettings);
    connect(bar, &ImageToolbar::backgroundColourSettingsRequested, this,
            &ToolbarCommands::chooseBackgroundColour);
    connect(bar, &ImageToolbar::groundColourRequested, this, &ToolbarCommands::changeGroundColour);
}

QPair<int, int> ToolbarCommands::shownResolution() const
{
    return m_hooks.image->resolution(m_hooks.image->file());
}

void ToolbarCommands::slotUpdatePageNoArea(const QString& area, int marginH, int marginV)
{
    const QPair<int, int> dpi = shownResolution();
    m_hooks.scene->placePageNo(area, marginH, marginV, dpi.first, dpi.second,
                               m_gestures->displayScale().zoom);
}

void ToolbarCommands::slotUpdatePageNoFont(int type, const QVariant& value)
{
    m_hooks.scene->setPageNoFontProperty(type, value, shownResolution().first,
                                         m_gestures->displayScale().zoom);
}

void ToolbarCommands::slotUpdatePageNoFormat(const QString& strNo)
{
    m_hooks.scene->setPageNoText(strNo);
}

void ToolbarCommands::previewMargins(int left, int top, int right, int bottom)
{
    qDebug() << "sigTopMarginChanged" << left << top << right << bottom;
    stPageMargins margins;
    margins.left = left;
    margins.top = top;
    margins.right = right;
    margins.bottom = bottom;
    const QPair<int, int> dpi = shownResolution();
    m_hooks.scene->setMarginFrame(margins, dpi.first, dpi.second, m_gestures->displayScale());
}

void ToolbarCommands::toggleMargins(bool checked)
{
    if (!m_hooks.image->isOpen()) {
        // Nothing to frame: the button must not claim a frame is shown.
        m_toolbar->marginButton()->setChecked(false);
        showToast(QStringLiteral("未打开图片"), QColor(QStringLiteral("#FF0000")),
                  QColor(QStringLiteral("#FFFFFF")));
        return;
    }
    m_hooks.scene->setMarginFrameVisible(checked);
}

void ToolbarCommands::editMargins()
{
    m_hooks.scene->setMarginFrameVisible(true);
    PageMarginSetDlg dialog(m_hooks.window);
    connect(&dialog, &PageMarginSetDlg::sigMarginChanged, this, &ToolbarCommands::previewMargins);
    if (dialog.exec() == QDialog::Accepted && m_hooks.image->isOpen())
        m_hooks.reopen();
    m_hooks.scene->setMarginFrameVisible(m_toolbar->marginButton()->isChecked());
}

void ToolbarCommands::connectPageNoPreview(QObject* dialog)
{
    auto* pageNo = static_cast<PageNoAreaSetDlg*>(dialog);
    connect(pageNo, &PageNoAreaSetDlg::sigPosChanged, this, &ToolbarCommands::slotUpdatePageNoArea);
    connect(pageNo, &PageNoAreaSetDlg::sigFontChanged, this,
            &ToolbarCommands::slotUpdatePageNoFont);
    connect(pageNo, &PageNoAreaSetDlg::sigFormatChanged, this,
            &ToolbarCommands::slotUpdatePageNoFormat);
}

void ToolbarCommands::signPageNumber()
{
    if (!m_hooks.image->isOpen())
        return;
    EditTextItem* item = m_hooks.scene->pageNoItem();
    item->show();
    PageNoAreaSetDlg dialog(PageNoAreaSetDlg::modeFor(IMG_OPT_SIGN_PAGENO), m_hooks.window);
    connectPageNoPreview(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        m_hooks.execute(IMG_OPT_SIGN_PAGENO, true, m_gestures->pageNumberValue());
        // A signed number is written at once, whatever the save mode.
        m_hooks.image->save();
        m_hooks.reopen();
    }
    item->hide();
    m_hooks.scene->update();
}

void ToolbarCommands::numberAllPages()
{
    EditTextItem* item = m_hooks.scene->pageNoItem();
    item->show();
    PageNoAreaSetDlg dialog(PageNoAreaSetDlg::modeFor(IMG_OPT_PAGENO_BATCH), m_hooks.window);
    connectPageNoPreview(&dialog);
    // Unsaved edits reach the disk before the numbers do (asked first in the
    // manual mode): the reopen below shows the stamped page from disk.
    if (dialog.exec() == QDialog::Accepted &&
        PendingEdits::settle(*m_hooks.image, [](const QString& title, const QString& text) {
            return showQuestion(title, text) == QMessageBox::Ok;
        })) {
        const PageNumberJob job = GestureController::pageNumberJob(
            *m_hooks.scene, m_hooks.fileList(), ProcessParams::current().pageNo);
        BackgroundTask::run(
            m_hooks.window,
            [job](TaskContext& task) {
                PageNumberStamper::run(
                    job, [&task](const QString& name) { task.progress(name); },
                    [&task]() { return task.cancelled(); });
            },
            QStringLiteral("页码添加完成"));
        if (m_hooks.image->isOpen())
            m_hooks.reopen();
    }
    item->hide();
    m_hooks.scene->update();
}

void ToolbarCommands::changeDpi()
{
    CurrentImage* image = m_hooks.image;
    if (!image->isOpen())
        return;
    DpiSetDlg dialog(m_hooks.window);
    const QPair<int, int> dpi = shownResolution();
    if (dpi.first > 0 && dpi.second > 0)
        dialog.setDpi(dpi.first, dpi.second);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (PageFile::setFileDensity(image->file(), dialog.dpiX(), dialog.dpiY())) {
        // Later saves of this file must keep the new resolution, not the first one seen.
        image->rememberResolution(image->file(), dialog.dpiX(), dialog.dpiY());
    } else {
        qWarning() << "setFileDensity failed" << image->file();
    }
    m_hooks.reopen();
}

void ToolbarCommands::changePageSize()
{
    if (!m_hooks.image->isOpen())
        return;
    PageSizeSetDlg dialog(m_hooks.window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const stPageSizeInfo size = dialog.pageSize();
    m_hooks.execute(IMG_OPT_PAGESIZE, true, QSize(size.widthMM, size.heightMM));
}

void ToolbarCommands::adjustColour()
{
    const stColourInfo& colour = ProcessParams::current().colour;
    m_hooks.execute(IMG_OPT_COLOUR_ADJUST, true,
                    QVariantList{colour.contrast, colour.brightness, colour.saturation});
}

void ToolbarCommands::editColourSettings()
{
    ImageColourSetDlg dialog(m_hooks.image->image(), m_hooks.window);
    dialog.exec();
}

void ToolbarCommands::chooseBackgroundColour()
{
    ActionSettingsOpener opener(m_hooks.window);
    opener.openFor(IMG_OPT_BGCOLOR_ADJUST);
}

void ToolbarCommands::changeGroundColour()
{
    if (!m_hooks.image->isOpen())
        return;
    const QColor colour = QColorDialog::getColor(Qt::white, m_hooks.window);
    if (colour.isValid())
        m_hooks.execute(IMG_OPT_BGCOLOR_ADJUST, true, colour);
}
