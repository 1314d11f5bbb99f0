#include "FileBatchRenameDlg.h"

#include "RenamePreviewTable.h"
#include "ui_FileBatchRenameDlg.h"

#include <QStandardItemModel>

FileBatchRenameDlg::FileBatchRenameDlg(const QString& dir, const QStringList& names, int mode,
                                       QWidget* parent)
    : QDialog(parent), ui(new Ui::FileBatchRenameDlg), m_table(new QStandardItemModel(this)),
      m_dir(dir), m_names(names),
      m_mode(mode == BatchRenamePlan::Folders ? BatchRenamePlan::Folders : BatchRenamePlan::Files)
{
    ui->setupUi(this);
    const bool folders = m_mode == BatchRenamePlan::Folders;
    setWindowTitle(folders ? QStringLiteral("文件夹批量重命名") : QStringLiteral("文件批量重命名"));
    RenamePreviewTable::setUp(ui->tableView, m_table,
                              folders ? QStringLiteral("原文件夹名") : QStringLiteral("原文件名"),
                              folders ? QStringLiteral("新文件夹名") : QStringLiteral("新文件名"));
    for (QLineEdit* edit : {ui->edit_prefix, ui->edit_suffix})
        connect(edit, &QLineEdit::textChanged, this, &FileBatchRenameDlg::updatePreview);
    for (QSpinBox* box : {ui->spinBox_code_start, ui->spinBox_code_len})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this,
                &FileBatchRenameDlg::updatePreview);
    connect(ui->checkBox_fix_zero, &QCheckBox::toggled, this, &FileBatchRenameDlg::updatePreview);
    updatePreview();
}

FileBatchRenameDlg::~FileBatchRenameDlg()
{
    delete ui;
}

void FileBatchRenameDlg::updatePreview()
{
    m_rows = BatchRenamePlan::numbered(
        m_names, m_mode, ui->edit_prefix->text(), ui->spinBox_code_start->value(),
        ui->spinBox_code_len->value(), ui->checkBox_fix_zero->isChecked(), ui->edit_suffix->text());
    RenamePreviewTable::fill(m_table, m_rows);
}

void FileBatchRenameDlg::on_btn_confirm_clicked()
{
    if (RenamePreviewTable::confirm(m_dir, m_rows, m_mode, m_dataRoot, m_runner))
        accept();
}

void FileBatchRenameDlg::on_btn_cancel_clicked()
{
    reject();
}
