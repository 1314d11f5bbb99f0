#include "EntryImportDlg.h"

#include "ItemListForm.h"
#include "ItemWorkbook.h"
#include "ui_EntryImportDlg.h"

EntryImportDlg::EntryImportDlg(QWidget* parent) : QDialog(parent), ui(new Ui::EntryImportDlg)
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
}

EntryImportDlg::~EntryImportDlg()
{
    delete ui;
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

void EntryImportDlg::buildItemRecords()
{
    m_records.clear();
    ItemWorkbook book;
    if (!book.load(ui->edit_excelpath->text()).isEmpty() ||
        !book.selectSheet(ui->combox_sheet->currentText()))
        return;
    m_records.build(*book.currentSheet(), m_items->headers(), ui->comboBox_dh->currentText(),
                    ui->comboBox_ys->currentText());
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
