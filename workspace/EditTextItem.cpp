#include "EditTextItem.h"

#include <QFocusEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGuiApplication>
#include <QKeyEvent>

EditTextItem::EditTextItem(const QString& text, QGraphicsItem* parent)
    : QGraphicsTextItem(text, parent)
{
}

void EditTextItem::focusInEvent(QFocusEvent* event)
{
    // A popup (the edit context menu) returning focus is not a new edit.
    if (event->reason() != Qt::PopupFocusReason) {
        m_textBeforeEdit = toPlainText();
    }
    QGraphicsTextItem::focusInEvent(event);
}

void EditTextItem::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() == Qt::PopupFocusReason) {
        QGraphicsTextItem::focusOutEvent(event);
        return;
    }
    // A right-button press outside the item is the operator's way to cancel.
    if (event->reason() == Qt::MouseFocusReason &&
        (QGuiApplication::mouseButtons() & Qt::RightButton)) {
        setPlainText(m_textBeforeEdit);
    }
    setTextInteractionFlags(Qt::NoTextInteraction);
    emit EditStatus(false);
    QGraphicsTextItem::focusOutEvent(event);
}

void EditTextItem::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        clearFocus();
        return;
    }
    QGraphicsTextItem::keyPressEvent(event);
}

void EditTextItem::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        emit EditStatus(true);
        setTextInteractionFlags(Qt::TextEditorInteraction);
        setFocus();
    }
    QGraphicsTextItem::mouseDoubleClickEvent(event);
}
