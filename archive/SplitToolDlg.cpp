#include "SplitToolDlg.h"

#include "ItemListForm.h"
#include "ui_SplitToolDlg.h"

SplitToolDlg::SplitToolDlg(QWidget* parent) : QDialog(parent), ui(new Ui::SplitToolDlg)
{
    ui->setupUi(this);
    ItemListForm::Widgets w;
    w.dialog = this;
    w.path = ui->edit_fj_excelpath;
    w.sheet = ui->combox_fj_sheet;
    w.archiveNo = ui->comboBox_dh;
    w.pageNo = ui->comboBox_yh;
    w.pageCount = ui->comboBox_ys;
    w.caseFileNo = ui->comboBox_ajdh;
    m_items = new ItemListForm(w, nullptr, this);
}

SplitToolDlg::~SplitToolDlg()
{
    delete ui;
}

const QStringList& SplitToolDlg::headerNames() const
{
    return m_items->headers().names();
}

const ItemHeaders& SplitToolDlg::headers() const
{
    return m_items->headers();
}

void SplitToolDlg::importItemWorkbook()
{
    m_items->importItemWorkbook();
}

void SplitToolDlg::readItemHeaders(const QString& sheetName)
{
    m_items->readItemHeaders(sheetName);
}

void SplitToolDlg::presetItemColumns()
{
    m_items->presetItemColumns();
}

void SplitToolDlg::on_btn_fj_import_excel_clicked()
{
    importItemWorkbook();
}
