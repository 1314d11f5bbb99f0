#include "ShortutkeySaveDlg.h"

#include "ui_ShortutkeySaveDlg.h"

#include <QAbstractButton>
#include <QPushButton>

ShortutkeySaveDlg::ShortutkeySaveDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::shortcutkeysavedlg)
{
    ui->setupUi(this);
    // Set here, not through the catalogue, which may be missing.
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    for (QAbstractButton* button : ui->buttonBox->buttons()) {
        button->setFocusPolicy(Qt::NoFocus);
        if (auto* push = qobject_cast<QPushButton*>(button))
            push->setAutoDefault(false);
    }
}

ShortutkeySaveDlg::~ShortutkeySaveDlg()
{
    delete ui;
}

QKeySequence ShortutkeySaveDlg::keySequence() const
{
    return ui->keySequenceEdit->keySequence();
}

QKeySequenceEdit* ShortutkeySaveDlg::keyEdit() const
{
    return ui->keySequenceEdit;
}

void ShortutkeySaveDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ui->keySequenceEdit->setFocus();
}
