#pragma once

#include <QDialog>

namespace Ui {
class WaitingDlg;
}

// The modal progress dialog in front of every background task: a progress text and a
// busy animation. Its cancel button is hidden unless a caller shows it.
class WaitingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit WaitingDlg(QWidget* parent = nullptr);
    ~WaitingDlg() override;

signals:
    void sigCancel();

public slots:
    void processUpdate(const QString& text);
    void on_pushButton_clicked();

private:
    Ui::WaitingDlg* ui;
};
