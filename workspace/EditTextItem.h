#pragma once

#include <QGraphicsTextItem>

// The page-number text on the image view. A double-click starts editing;
// Return or Enter ends it keeping the text, a right-button press elsewhere ends
// it and restores the text the item had when editing began.
class EditTextItem : public QGraphicsTextItem
{
    Q_OBJECT
public:
    explicit EditTextItem(const QString& text, QGraphicsItem* parent = nullptr);

signals:
    // true when editing starts, false when it ends
    void EditStatus(bool editing);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;

private:
    QString m_textBeforeEdit;
};
