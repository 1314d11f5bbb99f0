#include "RenamePreviewTable.h"

#include "CommonDialogs.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

namespace RenamePreviewTable {

void setUp(QTableView* view, QStandardItemModel* model, const QString& oldHeader,
           const QString& newHeader)
{
    model->setHorizontalHeaderLabels({oldHeader, newHeader});
    view->setModel(model);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

void fill(QStandardItemModel* model, const QVector<RenameRow>& rows)
{
    model->removeRows(0, model->rowCount());
    for (const RenameRow& row : rows)
        model->appendRow({new QStandardItem(row.oldName), new QStandardItem(row.newName)});
}

bool confirm(const QString& dir, const QVector<RenameRow>& rows, BatchRenamePlan::Mode mode,
             const QString& dataRoot,
             const std::function<BatchRenamePlan::Outcome(const QVector<RenameRow>&)>& runner)
{
    const QString error = QStringLiteral("错误");
    const QString why = BatchRenamePlan::problem(dir, rows, mode, dataRoot);
    if (!why.isEmpty()) {
        showMessage(error, why, QMessageBox::Warning);
        return false;
    }
    const BatchRenamePlan::Outcome outcome =
        runner ? runner(rows) : BatchRenamePlan::run(dir, rows, mode, dataRoot);
    if (!outcome.ok) {
        showMessage(error, outcome.message, QMessageBox::Warning);
        return false;
    }
    return true;
}

} // namespace RenamePreviewTable
