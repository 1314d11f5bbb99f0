#pragma once

#include "BatchRenamePlan.h"

#include <functional>

class QStandardItemModel;
class QTableView;

// What the two rename dialogs share: their two-column preview and the confirm
// step (check, run as one change, one "错误" box on a refusal or failure).
namespace RenamePreviewTable {

void setUp(QTableView* view, QStandardItemModel* model, const QString& oldHeader,
           const QString& newHeader);
void fill(QStandardItemModel* model, const QVector<RenameRow>& rows);

// True when the rows were renamed (or there was nothing to rename); false after
// the operator was told why not, with nothing on disk changed.
bool confirm(const QString& dir, const QVector<RenameRow>& rows, BatchRenamePlan::Mode mode,
             const QString& dataRoot,
             const std::function<BatchRenamePlan::Outcome(const QVector<RenameRow>&)>& runner);

} // namespace RenamePreviewTable
