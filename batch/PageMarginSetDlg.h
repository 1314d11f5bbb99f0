#pragma once

#include "stPageMargins.h"

#include <QDialog>

namespace Ui {
class PageMarginSetDlg;
}

// Page margins in millimetres. Every edit is announced at once so the view can
// move its margin frame; "确认" stores the four values as the margin settings.
class PageMarginSetDlg : public QDialog
{
    Q_OBJECT

public:
    // Opens with the process-wide margins.
    explicit PageMarginSetDlg(QWidget* parent = nullptr);
    ~PageMarginSetDlg() override;

    stPageMargins margins() const;
    void setMargins(const stPageMargins& margins);

signals:
    void sigMarginChanged(int left, int top, int right, int bottom);
    void sigSavePageMarginSettings();

public slots:
    void slotMarginChanged();

private slots:
    void on_btn_confirm_clicked();
    void on_btn_cancel_clicked();

private:
    Ui::PageMarginSetDlg* ui;
};
