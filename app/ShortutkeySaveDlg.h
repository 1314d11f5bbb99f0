#pragma once

#include <QDialog>
#include <QKeySequence>

class QKeySequenceEdit;

namespace Ui {
class shortcutkeysavedlg;
}

// Captures one key combination: the operator just presses it. The buttons take
// no focus, so Return or Space pressed here are keys like any other.
class ShortutkeySaveDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ShortutkeySaveDlg(QWidget* parent = nullptr);
    ~ShortutkeySaveDlg() override;

    // Empty when nothing was pressed.
    QKeySequence keySequence() const;
    QKeySequenceEdit* keyEdit() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::shortcutkeysavedlg* ui;
};
