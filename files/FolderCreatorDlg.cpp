#include "FolderCreatorDlg.h"

#include "CommonDialogs.h"
#include "PageNameCheck.h"
#include "NameUtils.h"
#include "ui_FolderCreatorDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStandardItemModel>

namespace {

const QString kErrorTitle = QStringLiteral("错误");

} // namespace

FolderCreatorDlg::FolderCreatorDlg(const QString& folder, QWidget* parent)
    : QDialog(parent), ui(new Ui::FolderCreatorDlg), m_names(new QStandardItemModel(this)),
      m_folder(folder), m_inform([](const QString& title, const QString& text) {
          if (title == kErrorTitle)
              showQuestion(title, text, QMessageBox::Warning);
          else
              showMessage(title, text, QMessageBox::Warning);
      })
{
    ui->setupUi(this);
    m_names->setHorizontalHeaderLabels({QStringLiteral("文件夹名")});
    ui->tableView->setModel(m_names);
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    connect(ui->edit_prefix, &QLineEdit::textChanged, this, &FolderCreatorDlg::updatePreview);
    connect(ui->edit_suffix, &QLineEdit::textChanged, this, &FolderCreatorDlg::updatePreview);
    for (QSpinBox* spin : {ui->spinBox_code_start, ui->spinBox_code_end, ui->spinBox_code_len})
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this,
                &FolderCreatorDlg::updatePreview);
    connect(ui->checkBox_fix_zero, &QCheckBox::toggled, this, &FolderCreatorDlg::updatePreview);
    updatePreview();
}

FolderCreatorDlg::~FolderCreatorDlg()
{
    delete ui;
}

QStringList FolderCreatorDlg::names() const
{
    QStringList result;
    for (int row = 0; row < m_names->rowCount(); ++row)
        result << m_names->item(row)->text();
    return result;
}

void FolderCreatorDlg::updatePreview()
{
    const int start = ui->spinBox_code_start->value();
    const int end = ui->spinBox_code_end->value();
    if (end < start) {
        // The rows of the last valid range stay, so nothing jumps while typing.
        m_inform(kErrorTitle, QStringLiteral("结束编码小于起始编码，请检查"));
        return;
    }
    const int length = ui->spinBox_code_len->value();
    const bool zeroFill = ui->checkBox_fix_zero->isChecked();
    const QString prefix = ui->edit_prefix->text();
    const QString suffix = ui->edit_suffix->text();
    m_names->removeRows(0, m_names->rowCount());
    m_names->setRowCount(end - start + 1);
    for (int code = start; code <= end; ++code)
        m_names->setItem(code - start,
                         new QStandardItem(prefix + codeText(code, length, zeroFill) + suffix));
}

void FolderCreatorDlg::on_btn_confirm_clicked()
{
    // The rows on show may belong to an older range: confirm only a valid one.
    if (ui->spinBox_code_end->value() < ui->spinBox_code_start->value()) {
        m_inform(kErrorTitle, QStringLiteral("结束编码小于起始编码，请检查"));
        return;
    }
    const QStringList wanted = names();
    for (const QString& name : wanted) {
        const QString problem = PageNameCheck::problem(name, PageNameCheck::Folder);
        if (!problem.isEmpty()) {
            m_inform(kErrorTitle, QStringLiteral("文件夹名无效：%1（%2）").arg(name, problem));
            return;
        }
    }
    QStringList existing;
    QStringList failed;
    m_created.clear();
    const QDir parent(m_folder);
    for (const QString& name : wanted) {
        const QString path = parent.filePath(name);
        if (QFileInfo::exists(path))
            existing << name;
        else if (parent.mkdir(name))
            m_created << path;
        else
            failed << name;
    }
    QStringList report;
    if (!failed.isEmpty())
        report << QStringLiteral("以下文件夹创建失败：\n%1").arg(failed.join(QLatin1Char('\n')));
    if (!existing.isEmpty())
        report << QStringLiteral("以下文件夹已存在，未改动：\n%1")
                      .arg(existing.join(QLatin1Char('\n')));
    if (!report.isEmpty())
        m_inform(QStringLiteral("提示"), report.join(QStringLiteral("\n\n")));
    accept();
}

void FolderCreatorDlg::on_btn_cancel_clicked()
{
    reject();
}
