#include "FileNameReplaceDlg.h"

#include "RenamePreviewTable.h"
#include "ui_FileNameReplaceDlg.h"

#include <QStandardItemModel>

FileNameReplaceDlg::FileNameReplaceDlg(const QString& dir, const QStringList& names,
                                       QWidget* parent)
    : QDialog(parent), ui(new Ui::FileNameReplaceDlg), m_table(new QStandardItemModel(this)),
      m_dir(dir), m_names(names)
{
    ui->setupUi(this);
    RenamePreviewTable::setUp(ui->tableView, m_table, QStringLiteral("原文件名"),
                              QStringLiteral("新文件名"));
    for (QLineEdit* edit : {ui->edit_find, ui->edit_replace})
        connect(edit, &QLineEdit::textChanged, this, &FileNameReplaceDlg::updatePreview);
    updatePreview();
}

FileNameReplaceDlg::~FileNameReplaceDlg()
{
    delete ui;
}

void FileNameReplaceDlg::updatePreview()
{
    m_rows = BatchRenamePlan::replaced(m_names, ui->edit_find->text(), ui->edit_replace->text());
    RenamePreviewTable::fill(m_table, m_rows);
    ui->lable_count->setText(QString::number(m_rows.size()));
}

void FileNameReplaceDlg::on_btn_confirm_clicked()
{
    // Without both texts the preview changes no name: nothing to rename.
    const bool replacing = !ui->edit_find->text().isEmpty() && !ui->edit_replace->text().isEmpty();
    if (!replacing ||
        RenamePreviewTable::confirm(m_dir, m_rows, BatchRenamePlan::Files, m_dataRoot, m_runner))
        accept();
}

void FileNameReplaceDlg::on_btn_cancel_clicked()
{
    reject();
}
