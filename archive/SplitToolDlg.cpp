#include "SplitToolDlg.h"

#include "BackgroundTask.h"
#include "CaseFolderImages.h"
#include "CommonDialogs.h"
#include "FolderChooser.h"
#include "FolderTableModel.h"
#include "ItemListForm.h"
#include "ItemWorkbook.h"
#include "PageNumberCheck.h"
#include "SplitCopier.h"
#include "SplitPreviewDlg.h"
#include "ToolSplitRows.h"
#include "XlsxSheet.h"
#include "ui_SplitToolDlg.h"

#include <QDebug>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QSet>

namespace {

void showError(const QString& text)
{
    showMessage(QStringLiteral("错误"), text, QMessageBox::Critical);
}

} // namespace

SplitToolDlg::SplitToolDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::SplitToolDlg), m_folders(new FolderTableModel(this)),
      m_folderMenu(new QMenu(this))
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

    ui->tableView->setModel(m_folders);
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
    ui->tableView->verticalHeader()->hide();
    connect(ui->tableView, &QTableView::clicked, this,
            [this](const QModelIndex& index) { m_folders->toggleCheck(index.row()); });
    QAction* all = m_folderMenu->addAction(QStringLiteral("全选"));
    QAction* none = m_folderMenu->addAction(QStringLiteral("取消全选"));
    all->setObjectName(QStringLiteral("action_check_all"));
    none->setObjectName(QStringLiteral("action_uncheck_all"));
    connect(all, &QAction::triggered, m_folders, &FolderTableModel::checkAll);
    connect(none, &QAction::triggered, m_folders, &FolderTableModel::uncheckAll);
    connect(ui->tableView, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_folderMenu->popup(ui->tableView->viewport()->mapToGlobal(at));
    });
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

void SplitToolDlg::on_btn_load_folder_clicked()
{
    const QString dir = FolderChooser::choose(this, QStringLiteral("载入数据目录"));
    if (dir.isEmpty())
        return;
    m_dataDir = dir;
    m_folders->loadDir(dir);
    // Nothing is split until the operator picks the case files.
    m_folders->uncheckAll();
    ui->tableView->resizeColumnToContents(0);
}

void SplitToolDlg::on_btn_fj_pagecount_clicked()
{
    split(SplitMode::PageCount);
}

void SplitToolDlg::on_btn_fj_pageno_clicked()
{
    split(SplitMode::PageNumber);
}

void SplitToolDlg::on_btn_fj_import_excel_clicked()
{
    importItemWorkbook();
}

void SplitToolDlg::split(SplitMode mode)
{
    ToolSplitRequest request;
    for (const stFolderModelInfo& folder : m_folders->checkedFolders())
        request.selected << folder.folderName;
    qDebug().noquote() << "分件目录为：" << request.selected;
    if (m_dataDir.isEmpty()) {
        showMessage(QStringLiteral("提示"), QStringLiteral("请先在目录树选择图像文件的存放目录"));
        return;
    }
    if (!QFileInfo(m_dataDir).isDir()) {
        showMessage(QStringLiteral("提示"), QStringLiteral("图像文件的存放目录不存在或解析失败"));
        return;
    }
    if (!readRequest(mode, &request) || !checkRequest(request))
        return;
    request.outputDir = FolderChooser::choose(this, QStringLiteral("选择分件后的保存目录"));
    if (request.outputDir.isEmpty())
        return;
    const SplitPlan plan = ToolSplitPlanner::plan(request);
    for (const QString& warning : plan.warnings)
        qWarning().noquote() << warning;
    if (!plan.ok()) {
        showError(plan.error);
        return;
    }
    if (SplitPreviewDlg::confirm(plan, this))
        copy(plan);
}

bool SplitToolDlg::readRequest(SplitMode mode, ToolSplitRequest* request)
{
    ItemWorkbook book;
    const QString reason = book.load(ui->edit_fj_excelpath->text());
    if (!reason.isEmpty()) {
        showError(QStringLiteral("Excel文件加载失败：%1").arg(reason));
        return false;
    }
    if (!book.selectSheet(ui->combox_fj_sheet->currentText())) {
        showError(QStringLiteral("找不到sheet页：%1").arg(ui->combox_fj_sheet->currentText()));
        return false;
    }
    const XlsxSheet& sheet = *book.currentSheet();
    const ItemHeaders headers = ItemHeaders::read(sheet, ItemHeaders::EveryColumn);
    ToolSplitRows::Columns columns;
    columns.archiveNo = headers.column(ui->comboBox_dh->currentText());
    columns.pageNo = headers.column(ui->comboBox_yh->currentText());
    columns.pageCount = headers.column(ui->comboBox_ys->currentText());
    columns.caseNo = headers.column(ui->comboBox_ajdh->currentText());
    request->dataDir = m_dataDir;
    request->headers = headers.names();
    request->storageFields = ToolSplitPlanner::storageFields(ui->edit_save_format->text());
    request->pageCountColumn = columns.pageCount;
    request->mode = mode;
    request->checkPages = ui->checkBox_checkPageNo->isChecked();
    request->rename = ui->checkBox_fj_rename->isChecked();
    if (mode == SplitMode::PageNumber)
        qDebug().noquote() << "存储规则：" << request->storageFields;
    const QString ruleProblem =
        ToolSplitPlanner::checkStorageRule(request->storageFields, request->headers);
    if (!ruleProblem.isEmpty()) {
        showError(ruleProblem);
        return false;
    }
    for (const QString& field : request->storageFields)
        columns.storage << headers.column(field);
    qDebug().noquote() << "开始载入数据：";
    request->rows = ToolSplitRows::read(sheet, columns);
    qDebug().noquote() << "条目数据载入共" << request->rows.size() << "条";
    return true;
}

bool SplitToolDlg::checkRequest(const ToolSplitRequest& request)
{
    QVector<qint64> counts;
    QString problem = ToolSplitPlanner::pageCounts(request.rows, request.pageCountColumn, &counts);
    const bool byNumber = request.mode == SplitMode::PageNumber;
    if (problem.isEmpty() && (byNumber || request.checkPages)) {
        const QSet<QString> selected(request.selected.begin(), request.selected.end());
        problem =
            PageNumberCheck(request.checkPages, byNumber).check(request.rows, selected, &counts);
    }
    if (!problem.isEmpty()) {
        showError(problem);
        return false;
    }
    const QMap<QString, qint64> totals = ToolSplitPlanner::caseFileTotals(request.rows, counts);
    qDebug().noquote() << "条目页数统计结果为:" << totals;
    const QStringList lines = ToolSplitPlanner::folderProblems(
        m_dataDir, request.selected, totals,
        [](const QString& folder) { return CaseFolderImages::list(folder).size(); });
    if (!lines.isEmpty()) {
        showError(lines.join(QStringLiteral("\r\n")));
        return false;
    }
    return true;
}

void SplitToolDlg::copy(const SplitPlan& plan)
{
    SplitResult result;
    result.message = splitUnfinishedText(0, 0, QStringLiteral("分件任务异常结束"));
    BackgroundTask::run(this, [&plan, &result](TaskContext& task) {
        SplitCopier copier;
        copier.setProgress(
            [&task](const QString& archiveNo) { task.progress(splitProgressText(archiveNo)); });
        result = copier.run(plan);
    });
    showMessage(QStringLiteral("提示"), result.message,
                result.ok ? QMessageBox::Information : QMessageBox::Warning);
}
