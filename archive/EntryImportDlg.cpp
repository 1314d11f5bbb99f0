#include "EntryImportDlg.h"

#include "CommonDialogs.h"
#include "EntryMatcher.h"
#include "ItemListForm.h"
#include "ItemWorkbook.h"
#include "ui_EntryImportDlg.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

namespace {

EntryImportDlg::FolderHook& folderHook()
{
    static EntryImportDlg::FolderHook hook;
    return hook;
}

const QColor kBlue(QStringLiteral("#0000FF"));
const QColor kWhite(QStringLiteral("#FFFFFF"));

} // namespace

EntryImportDlg::EntryImportDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::EntryImportDlg), m_folders(new QFileSystemModel(this))
{
    ui->setupUi(this);
    ItemListForm::Widgets w;
    w.dialog = this;
    w.path = ui->edit_excelpath;
    w.sheet = ui->combox_sheet;
    w.archiveNo = ui->comboBox_dh;
    w.pageNo = ui->comboBox_yh;
    w.pageCount = ui->comboBox_ys;
    w.caseFileNo = ui->comboBox_ajdh;
    m_items = new ItemListForm(
        w, [this] { return isCaseFile(); }, this);
    m_folders->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    ui->treeView->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        ui->treeView->hideColumn(column);
    on_comboBox_archiveType_currentTextChanged(ui->comboBox_archiveType->currentText());
}

EntryImportDlg::~EntryImportDlg()
{
    delete ui;
}

void EntryImportDlg::setFolderHook(FolderHook hook)
{
    folderHook() = std::move(hook);
}

bool EntryImportDlg::isCaseFile() const
{
    return ui->comboBox_archiveType->currentText() == QStringLiteral("案卷");
}

const QStringList& EntryImportDlg::headerNames() const
{
    return m_items->headers().names();
}

const ItemHeaders& EntryImportDlg::headers() const
{
    return m_items->headers();
}

QString EntryImportDlg::workbookPath() const
{
    return ui->edit_excelpath->text();
}

void EntryImportDlg::setDataDir(const QString& folder)
{
    m_dataDir = folder;
    const QModelIndex root = m_folders->setRootPath(folder);
    ui->treeView->setRootIndex(root.parent());
    ui->treeView->setCurrentIndex(root);
}

void EntryImportDlg::buildItemRecords()
{
    loadItemRecords();
}

QString EntryImportDlg::loadItemRecords()
{
    m_records.clear();
    ItemWorkbook book;
    const QString reason = book.load(ui->edit_excelpath->text());
    if (!reason.isEmpty())
        return reason;
    if (!book.selectSheet(ui->combox_sheet->currentText()))
        return QStringLiteral("条目excel中没有sheet页：%1").arg(ui->combox_sheet->currentText());
    m_records.build(*book.currentSheet(), m_items->headers(), ui->comboBox_dh->currentText(),
                    ui->comboBox_ys->currentText());
    return QString();
}

void EntryImportDlg::importItemWorkbook()
{
    m_items->importItemWorkbook();
}

void EntryImportDlg::readItemHeaders(const QString& sheetName)
{
    m_items->readItemHeaders(sheetName);
}

void EntryImportDlg::presetItemColumns()
{
    m_items->presetItemColumns();
}

void EntryImportDlg::on_btn_import_excel_clicked()
{
    importItemWorkbook();
}

void EntryImportDlg::on_btn_load_folder_clicked()
{
    const QString start = m_dataDir.isEmpty() ? QDir::homePath() : m_dataDir;
    const QString folder = folderHook() ? folderHook()(this, start)
                                        : QFileDialog::getExistingDirectory(this, QString(), start);
    if (!folder.isEmpty())
        setDataDir(folder);
}

void EntryImportDlg::on_comboBox_archiveType_currentTextChanged(const QString& text)
{
    const bool caseFile = text == QStringLiteral("案卷");
    ui->label_yh->setVisible(caseFile);
    ui->comboBox_yh->setVisible(caseFile);
    ui->checkBox_checkPageNo->setVisible(caseFile);
    ui->label_ajdh->setVisible(caseFile);
    ui->comboBox_ajdh->setVisible(caseFile);
    ui->edit_match_format->setText(caseFile ? QStringLiteral("案卷档号/档号")
                                            : QStringLiteral("档号"));
}

void EntryImportDlg::on_btn_match_clicked()
{
    matchEntries();
}

void EntryImportDlg::matchEntries()
{
    const QString hint = QStringLiteral("提示");
    if (m_dataDir.isEmpty()) {
        showMessage(hint, QStringLiteral("请先在目录树选择图像文件的存放目录"));
        return;
    }
    if (!QFileInfo(m_dataDir).isDir()) {
        showMessage(hint, QStringLiteral("图像文件的存放目录不存在或解析失败"));
        return;
    }
    const QString error = QStringLiteral("错误");
    // A list that cannot be read would otherwise match nothing without a word.
    const QString reason = loadItemRecords();
    if (!reason.isEmpty()) {
        qWarning().noquote() << "item list not loaded:" << reason;
        showMessage(error, QStringLiteral("条目excel载入失败：%1").arg(reason),
                    QMessageBox::Critical);
        return;
    }
    qInfo().noquote() << "开始载入数据：" << ui->edit_excelpath->text();

    EntryMatcher::Options options;
    options.dataDir = m_dataDir;
    options.rule = ui->edit_match_format->text();
    options.caseFile = isCaseFile();
    options.checkPageNumbers = ui->checkBox_checkPageNo->isChecked();
    options.archiveNoHeader = ui->comboBox_dh->currentText();
    options.pageNoHeader = ui->comboBox_yh->currentText();
    options.pageCountHeader = ui->comboBox_ys->currentText();
    options.caseFileHeader = ui->comboBox_ajdh->currentText();
    m_matchErrors.clear();
    const EntryMatcher::Result result =
        EntryMatcher::match(m_records.itemRecords(), m_items->headers(), options);
    if (!result.ok()) {
        m_matched = false;
        showMessage(error, result.failure, QMessageBox::Critical);
        return;
    }
    m_matchErrors = result.errors + result.unclaimed;
    if (!m_matchErrors.isEmpty())
        showMessage(error, m_matchErrors.join(QStringLiteral("\r\n")), QMessageBox::Critical);
    m_matched = true;
}

void EntryImportDlg::on_btn_qc_clicked()
{
    if (m_matched)
        accept();
    else
        showToast(QStringLiteral("请先执行匹配操作"), kBlue, kWhite);
}
