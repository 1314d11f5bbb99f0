#pragma once

#include <QItemDelegate>

// Draws the settings button of a batch row and reports clicks on it.
class ButtonDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    static constexpr int kButtonSize = 20;

    explicit ButtonDelegate(QObject* parent = nullptr);

    // The button's square, centred in the cell.
    static QRect buttonRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void buttonClicked(QModelIndex index);
};
