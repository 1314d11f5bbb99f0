#include "ActionTableModel.h"

#include <QDebug>
#include <QMimeData>

namespace {

const char* const kHeaders[] = {"", "function", ""};

} // namespace

ActionTableModel::ActionTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int ActionTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_actions.size();
}

int ActionTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ActionTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_actions.size())
        return QVariant();
    const stActionData& action = m_actions.at(index.row());
    switch (index.column()) {
    case 0:
        if (role == Qt::DisplayRole)
            return QString();
        if (role == Qt::CheckStateRole)
            return action.checked > 0 ? Qt::Checked : Qt::Unchecked;
        break;
    case 1:
        if (role == Qt::DisplayRole)
            return action.actionName;
        break;
    case 2:
        if (role == Qt::CheckStateRole || role == kCmdRole)
            return action.actionCmd;
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant ActionTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < 3)
        return QString::fromLatin1(kHeaders[section]);
    return QVariant();
}

Qt::ItemFlags ActionTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsEnabled;
    if (index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

Qt::DropActions ActionTableModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

QMimeData* ActionTableModel::mimeData(const QModelIndexList& indexes) const
{
    QMimeData* data = QAbstractTableModel::mimeData(indexes);
    if (data && !indexes.isEmpty()) {
        data->setData(QStringLiteral("row"), QByteArray::number(indexes.first().row()));
        data->setData(QStringLiteral("col"), QByteArray::number(indexes.first().column()));
    }
    return data;
}

bool ActionTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                    const QModelIndex& parent)
{
    if (!data || action != Qt::MoveAction || !parent.isValid())
        return false;
    bool isNumber = false;
    const int startRow = data->data(QStringLiteral("row")).toInt(&isNumber);
    const int targetRow = parent.row();
    qDebug() << "startRow is :" << startRow << ", targetRow is :" << targetRow;
    // Mime data from elsewhere, or rows that are no longer there, move nothing.
    if (!isNumber || startRow < 0 || startRow >= m_actions.size() || targetRow < 0 ||
        targetRow >= m_actions.size())
        return false;

    beginResetModel();
    const stActionData moved = m_actions.takeAt(startRow);
    m_actions.insert(targetRow, moved);
    endResetModel();
    return true;
}

void ActionTableModel::setActions(const QList<stActionData>& actions)
{
    beginResetModel();
    m_actions = actions;
    endResetModel();
}

QList<stActionData> ActionTableModel::checkedActions() const
{
    QList<stActionData> checked;
    for (const stActionData& action : m_actions)
        if (action.checked != 0)
            checked.append(action);
    return checked;
}

void ActionTableModel::toggleChecked(int row)
{
    if (row < 0 || row >= m_actions.size())
        return;
    beginResetModel();
    m_actions[row].checked = m_actions[row].checked ? 0 : 1;
    endResetModel();
}
