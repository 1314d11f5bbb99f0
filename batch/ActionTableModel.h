#pragma once

#include "stActionData.h"

#include <QAbstractTableModel>
#include <QList>

// The batch action list: a check box, the label and the settings button per
// row; rows are reordered by dragging one row onto another.
class ActionTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kCmdRole = Qt::UserRole + 1;

    explicit ActionTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    Qt::DropActions supportedDropActions() const override;
    // The base mime data plus "row" and "col" of the first index.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // Moves the dragged row to the row it was dropped on.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    void setActions(const QList<stActionData>& actions);
    const QList<stActionData>& actions() const { return m_actions; }
    // The rows taking part in the batch, in list order.
    QList<stActionData> checkedActions() const;
    void toggleChecked(int row);

private:
    QList<stActionData> m_actions;
};
