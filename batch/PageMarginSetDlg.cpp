#include "PageMarginSetDlg.h"

#include "ProcessParams.h"
#include "SettingsStore.h"
#include "ui_PageMarginSetDlg.h"

PageMarginSetDlg::PageMarginSetDlg(QWidget* parent) : QDialog(parent), ui(new Ui::PageMarginSetDlg)
{
    ui->setupUi(this);
    setMargins(ProcessParams::current().margins);
    for (QSpinBox* spinBox :
         {ui->spinBox_top, ui->spinBox_bottom, ui->spinBox_left, ui->spinBox_right})
        connect(spinBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
                &PageMarginSetDlg::slotMarginChanged);
}

PageMarginSetDlg::~PageMarginSetDlg()
{
    delete ui;
}

stPageMargins PageMarginSetDlg::margins() const
{
    stPageMargins margins;
    margins.top = ui->spinBox_top->value();
    margins.bottom = ui->spinBox_bottom->value();
    margins.left = ui->spinBox_left->value();
    margins.right = ui->spinBox_right->value();
    return margins;
}

void PageMarginSetDlg::setMargins(const stPageMargins& margins)
{
    ui->spinBox_top->setValue(margins.top);
    ui->spinBox_bottom->setValue(margins.bottom);
    ui->spinBox_left->setValue(margins.left);
    ui->spinBox_right->setValue(margins.right);
}

void PageMarginSetDlg::slotMarginChanged()
{
    const stPageMargins values = margins();
    emit sigMarginChanged(values.left, values.top, values.right, values.bottom);
}

void PageMarginSetDlg::on_btn_confirm_clicked()
{
    emit sigSavePageMarginSettings();
    const stPageMargins values = margins();
    SettingsStore::setSettingValues({{SettingsStore::kMarginsTop, values.top},
                                     {SettingsStore::kMarginsBottom, values.bottom},
                                     {SettingsStore::kMarginsLeft, values.left},
                                     {SettingsStore::kMarginsRight, values.right}});
    accept();
}

void PageMarginSetDlg::on_btn_cancel_clicked()
{
    reject();
}
