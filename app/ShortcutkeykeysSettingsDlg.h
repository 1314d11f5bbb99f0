#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
class QStandardItemModel;

namespace Ui {
class ShortcutkeykeysSettingsDlg;
}

// The shortcut panel of the dock: every registered entry with its key ("无"
// when it has none) on a button that captures a new one. A new key works at
// once and is written to the shortcut file; a key another entry holds is
// moved only when the operator agrees.
class ShortcutkeykeysSettingsDlg : public QWidget
{
    Q_OBJECT
public:
    // entries: the registered entries, in registration order (copied).
    ShortcutkeykeysSettingsDlg(const QList<QObject*>& entries, QWidget* parent = nullptr);
    ~ShortcutkeykeysSettingsDlg() override;

    // The key button of row (null out of range).
    QPushButton* keyButton(int row) const;
    int rowOf(const QString& actionName) const;

    static QString keyText(const QKeySequence& key);

private:
    void capture(int row);

    Ui::ShortcutkeykeysSettingsDlg* ui;
    QStandardItemModel* m_model;
    QList<QObject*> m_entries;
    QList<QPushButton*> m_buttons;
};
