#include "SplitTabRun.h"

#include "BackgroundTask.h"
#include "CellText.h"
#include "CommonDialogs.h"
#include "ItemWorkbook.h"
#include "SheetRows.h"
#include "SplitPreviewDlg.h"
#include "TabSplitPlanner.h"
#include "XlsxSheet.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>

namespace {

void redToast(const QString& text)
{
    showToast(text, QColor(QStringLiteral("#FF0000")), QColor(QStringLiteral("#FFFFFF")));
}

} // namespace

SplitTabRun::SplitTabRun(const Widgets& widgets, const Hooks& hooks, QObject* parent)
    : QObject(parent), m_w(widgets), m_hooks(hooks)
{
    if (m_w.undo)
        m_w.undo->setEnabled(false);
}

bool SplitTabRun::readRows(QVector<SplitRow>* rows, QString* why) const
{
    ItemWorkbook book;
    const QString path = m_w.path->text();
    const QString reason = book.load(path);
    if (!reason.isEmpty()) {
        *why = QStringLiteral("Excel文件加载失败：%1").arg(reason);
        return false;
    }
    if (!book.selectSheet(m_w.sheet->currentText())) {
        *why = QStringLiteral("找不到sheet页：%1").arg(m_w.sheet->currentText());
        return false;
    }
    const XlsxSheet& sheet = *book.currentSheet();
    const int archiveColumn = m_w.archiveNo->value();
    const int pageNoColumn = m_w.pageNo->value();
    const int pageCountColumn = m_w.pageCount->value();
    qDebug().noquote() << "rowInfo：" << m_w.startRow->value() << sheet.lastRow();
    for (int r : SheetRows::dataRows(sheet, m_w.startRow->value())) {
        SplitRow row;
        row.sheetRow = r;
        row.archiveNo = cellText(sheet.cell(r, archiveColumn));
        row.pageNo = cellText(sheet.cell(r, pageNoColumn));
        row.pageCount = cellText(sheet.cell(r, pageCountColumn));
        rows->append(row);
    }
    return true;
}

void SplitTabRun::run(SplitMode mode)
{
    const QString folder = m_hooks.folder();
    if (folder.isEmpty()) {
        redToast(QStringLiteral("请先在目录树选择图像文件的存放目录"));
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        redToast(QStringLiteral("图像文件的存放目录不存在或解析失败"));
        return;
    }
    QVector<SplitRow> rows;
    QString why;
    if (!readRows(&rows, &why)) {
        showMessage(QStringLiteral("错误"), why, QMessageBox::Warning);
        return;
    }
    const SplitPlan plan =
        TabSplitPlanner::plan(folder, rows, m_hooks.sources(), mode, m_w.rename->isChecked());
    for (const QString& warning : plan.warnings)
        qWarning().noquote() << warning;
    if (!plan.ok()) {
        showMessage(QStringLiteral("错误"), plan.error, QMessageBox::Warning);
        return;
    }
    if (plan.remaining > 0 &&
        showQuestion(
            QStringLiteral("提示"),
            QStringLiteral("条目共%1页，文件夹中有%2个文件，余下%3个文件将留在原处，是否继续？")
                .arg(plan.pageCount())
                .arg(plan.pageCount() + plan.remaining)
                .arg(plan.remaining)) != QMessageBox::Ok)
        return;
    if (!SplitPreviewDlg::confirm(plan, m_w.window))
        return;
    // The open page is written under its own name and let go before it moves,
    // or a save on page turn would write it to the name it had.
    m_hooks.closePage();
    const SplitResult result = move(plan);
    m_hooks.reload();
    if (m_w.undo)
        m_w.undo->setEnabled(m_mover.canUndo());
    showMessage(QStringLiteral("提示"), result.message,
                result.ok ? QMessageBox::Information : QMessageBox::Warning);
}

SplitResult SplitTabRun::move(const SplitPlan& plan)
{
    SplitResult result;
    result.message = splitUnfinishedText(0, 0, QStringLiteral("分件任务异常结束"));
    BackgroundTask::run(m_w.window, [this, &plan, &result](TaskContext& task) {
        m_mover.setProgress(
            [&task](const QString& archiveNo) { task.progress(splitProgressText(archiveNo)); });
        result = m_mover.run(plan);
        m_mover.setProgress(nullptr);
    });
    return result;
}

void SplitTabRun::undo()
{
    if (!m_mover.canUndo())
        return;
    if (showQuestion(QStringLiteral("提示"),
                     QStringLiteral("撤销上一次分件，文件将移回原处，是否继续？")) !=
        QMessageBox::Ok)
        return;
    m_hooks.closePage();
    SplitResult result;
    BackgroundTask::run(m_w.window, [this, &result](TaskContext&) { result = m_mover.undo(); });
    m_hooks.reload();
    if (m_w.undo)
        m_w.undo->setEnabled(m_mover.canUndo());
    showMessage(QStringLiteral("提示"), result.message,
                result.ok ? QMessageBox::Information : QMessageBox::Warning);
}
