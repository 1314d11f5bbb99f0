#include "BatchActionList.h"

#include "ActionTableModel.h"
#include "ButtonDelegate.h"
#include "OperationRegistry.h"

#include <QAction>
#include <QHeaderView>
#include <QTableView>
#include <QVariant>

namespace {

const char* const kAreaClearName = "action_area_clear";

QObject* sourceFor(int id, const QList<QObject*>& registered)
{
    for (QObject* object : registered) {
        if (!object)
            continue;
        bool ok = false;
        if (object->property("actionCmd").toInt(&ok) == id && ok)
            return object;
    }
    return nullptr;
}

} // namespace

QAction* BatchActionList::areaClearAction(QObject* owner)
{
    if (!owner)
        return nullptr;
    auto* action =
        owner->findChild<QAction*>(QString::fromLatin1(kAreaClearName), Qt::FindDirectChildrenOnly);
    if (action)
        return action;
    const OperationInfo* info = OperationRegistry::byId(IMG_OPT_AREA_CLEAR);
    action = new QAction(info->label, owner);
    action->setObjectName(QString::fromLatin1(kAreaClearName));
    action->setVisible(false);
    action->setProperty("actionType", QStringLiteral("QAction"));
    action->setProperty("actionName", info->label);
    action->setProperty("actionCmd", int(IMG_OPT_AREA_CLEAR));
    return action;
}

QList<stActionData> BatchActionList::build(const QList<QObject*>& registered, QObject* owner)
{
    QList<stActionData> rows;
    for (int id : OperationRegistry::batchList()) {
        const OperationInfo* info = OperationRegistry::byId(id);
        stActionData row;
        row.actionName = info->label;
        row.actionCmd = id;
        QObject* source = sourceFor(id, registered);
        if (!source && id == IMG_OPT_AREA_CLEAR)
            source = areaClearAction(owner);
        row.source = source;
        if (source)
            row.actionType = source->property("actionType").toString();
        rows.append(row);
    }
    return rows;
}

void BatchActionList::setUpView(QTableView* view, ActionTableModel* model, ButtonDelegate* delegate)
{
    view->setModel(model);
    view->setItemDelegateForColumn(2, delegate);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->setDropIndicatorShown(true);
    view->setDragDropMode(QAbstractItemView::InternalMove);
    view->setColumnWidth(0, 40);
    view->setColumnWidth(1, 150);
    view->setColumnWidth(2, 60);
}
