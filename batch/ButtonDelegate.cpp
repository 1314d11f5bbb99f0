#include "ButtonDelegate.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

ButtonDelegate::ButtonDelegate(QObject* parent) : QItemDelegate(parent) {}

QRect ButtonDelegate::buttonRect(const QRect& cell)
{
    QRect square(0, 0, kButtonSize, kButtonSize);
    square.moveCenter(cell.center());
    return square;
}

void ButtonDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex&) const
{
    static const QIcon icon(QStringLiteral(":/images/action_set.png"));
    QStyleOptionButton button;
    button.rect = buttonRect(option.rect);
    button.icon = icon;
    button.iconSize = QSize(kButtonSize - 4, kButtonSize - 4);
    button.state = QStyle::State_Enabled;
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButton, &button, painter, option.widget);
}

bool ButtonDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                 const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && buttonRect(option.rect).contains(mouse->pos())) {
            qDebug() << "ac button" << index.row();
            emit buttonClicked(index);
            return true;
        }
    }
    return QItemDelegate::editorEvent(event, model, option, index);
}
