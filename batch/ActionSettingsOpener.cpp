#include "ActionSettingsOpener.h"

#include "ActionTableModel.h"
#include "DpiSetDlg.h"
#include "ImageColourSetDlg.h"
#include "OperationRegistry.h"
#include "PageMarginSetDlg.h"
#include "PageNoAreaSetDlg.h"
#include "PageSizeSetDlg.h"
#include "ProcessParams.h"
#include "SettingsStore.h"

#include <QColorDialog>
#include <QDebug>

ActionSettingsOpener::ActionSettingsOpener(QWidget* dialogParent, QObject* parent)
    : QObject(parent), m_dialogParent(dialogParent)
{
}

ActionSettingsOpener::Target ActionSettingsOpener::targetFor(int actionCmd)
{
    const OperationInfo* info = OperationRegistry::byId(actionCmd);
    if (!info || !info->batch)
        return Target::Nothing;
    switch (info->param) {
    case ParamKind::Margins:
        return Target::Margins;
    case ParamKind::Dpi:
        return Target::Dpi;
    case ParamKind::PageSize:
        return Target::PageSize;
    case ParamKind::PageNumber:
        return Target::PageNumber;
    case ParamKind::Colour:
        return Target::BackgroundColour;
    case ParamKind::ColourValues:
        return Target::ColourAdjust;
    default:
        return Target::Nothing;
    }
}

void ActionSettingsOpener::setImageProvider(std::function<cv::Mat()> provider)
{
    m_imageProvider = std::move(provider);
}

bool ActionSettingsOpener::open(const QModelIndex& index)
{
    if (!index.isValid())
        return false;
    return openFor(index.siblingAtColumn(2).data(ActionTableModel::kCmdRole).toInt());
}

bool ActionSettingsOpener::openFor(int actionCmd)
{
    switch (targetFor(actionCmd)) {
    case Target::Margins: {
        PageMarginSetDlg dialog(m_dialogParent);
        return run(dialog, actionCmd);
    }
    case Target::Dpi:
        return runDpi();
    case Target::PageSize: {
        PageSizeSetDlg dialog(m_dialogParent);
        return run(dialog, actionCmd);
    }
    case Target::PageNumber: {
        PageNoAreaSetDlg dialog(PageNoAreaSetDlg::BatchMode, m_dialogParent);
        return run(dialog, actionCmd);
    }
    case Target::BackgroundColour:
        return runBackgroundColour();
    case Target::ColourAdjust: {
        ImageColourSetDlg dialog(m_imageProvider ? m_imageProvider() : cv::Mat(), m_dialogParent);
        return run(dialog, actionCmd);
    }
    case Target::Nothing:
        break;
    }
    return false;
}

bool ActionSettingsOpener::run(QDialog& dialog, int actionCmd)
{
    emit dialogOpened(&dialog, actionCmd);
    return dialog.exec() == QDialog::Accepted;
}

bool ActionSettingsOpener::runDpi()
{
    DpiSetDlg dialog(m_dialogParent);
    const ProcessParams& params = ProcessParams::current();
    // No resolution chosen yet (0, 0) keeps the form's usual 300.
    if (params.dpiX > 0 && params.dpiY > 0)
        dialog.setDpi(params.dpiX, params.dpiY);
    if (!run(dialog, IMG_OPT_DPI))
        return false;
    SettingsStore::setSettingValues(
        {{SettingsStore::kDpiX, dialog.dpiX()}, {SettingsStore::kDpiY, dialog.dpiY()}});
    return true;
}

bool ActionSettingsOpener::runBackgroundColour()
{
    QColorDialog dialog(QColor(Qt::white), m_dialogParent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (!run(dialog, IMG_OPT_BGCOLOR_ADJUST))
        return false;
    const QColor colour = dialog.selectedColor();
    if (!colour.isValid())
        return false;
    SettingsStore::saveBackgroundColour(colour);
    // The same colour start-up would load from the settings next time.
    ProcessParams::current().backgroundColour = colour;
    return true;
}
