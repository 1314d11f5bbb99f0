#pragma once

#include "stActionData.h"

#include <QList>

class ActionTableModel;
class ButtonDelegate;
class QAction;
class QTableView;

// Builds the rows of the batch action list from the operation registry and
// the toolbar entries registered so far.
class BatchActionList
{
public:
    // The hidden action that carries operation 203 (which has no toolbar
    // entry), with "actionType", "actionName" and "actionCmd" set; created as
    // a child of owner on the first call, the same object afterwards.
    static QAction* areaClearAction(QObject* owner);

    // Fifteen unchecked rows in the batch list's order. Each row's source is
    // the first of `registered` whose "actionCmd" is the row's identifier
    // (the hidden area-clear action for 203 when owner is given), or null
    // while the toolbar does not exist yet. The row's label is the list's own,
    // so the toolbar's "批量添加页码" still shows as "签注页码".
    static QList<stActionData> build(const QList<QObject*>& registered = {},
                                     QObject* owner = nullptr);

    // The batch panel's table: headers hidden, last column stretched, single
    // whole-row selection, internal drag moves, widths 40, 150 and 60, the
    // settings button delegate on column 2.
    static void setUpView(QTableView* view, ActionTableModel* model, ButtonDelegate* delegate);
};
