#pragma once

#include <QDialog>

namespace Ui {
class DpiSetDlg;
}

// Asks for a horizontal and a vertical resolution.
class DpiSetDlg : public QDialog
{
    Q_OBJECT

public:
    explicit DpiSetDlg(QWidget* parent = nullptr);
    ~DpiSetDlg() override;

    void setDpi(int dpiX, int dpiY);
    int dpiX() const;
    int dpiY() const;

private:
    Ui::DpiSetDlg* ui;
};
