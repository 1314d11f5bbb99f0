#include "DpiSetDlg.h"

#include "ui_DpiSetDlg.h"

#include <QPushButton>

DpiSetDlg::DpiSetDlg(QWidget* parent) : QDialog(parent), ui(new Ui::DpiSetDlg)
{
    ui->setupUi(this);
    QPushButton* ok = ui->buttonBox->button(QDialogButtonBox::Ok);
    QPushButton* cancel = ui->buttonBox->button(QDialogButtonBox::Cancel);
    ok->setText(QStringLiteral("确定"));
    cancel->setText(QStringLiteral("取消"));
    // The style sheet tells the two buttons apart by this property.
    ok->setProperty("state", QStringLiteral("ok"));
    cancel->setProperty("state", QStringLiteral("cancel"));
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

DpiSetDlg::~DpiSetDlg()
{
    delete ui;
}

void DpiSetDlg::setDpi(int dpiX, int dpiY)
{
    ui->spinBoxDpiX->setValue(dpiX);
    ui->spinBoxDpiY->setValue(dpiY);
}

int DpiSetDlg::dpiX() const
{
    return ui->spinBoxDpiX->value();
}

int DpiSetDlg::dpiY() const
{
    return ui->spinBoxDpiY->value();
}
