#pragma once

#include "stPageSizeInfo.h"

#include <QDialog>
#include <QMap>

namespace Ui {
class PageSizeSetDlg;
}

// Target page size: a named format (fixed numbers) or "自定义" (editable).
// Acceptance stores the size as the page size settings.
class PageSizeSetDlg : public QDialog
{
    Q_OBJECT

public:
    // Opens on the process-wide page size: its format when it is one, else
    // "自定义" with its numbers; "A4" when no size has been chosen yet.
    explicit PageSizeSetDlg(QWidget* parent = nullptr);
    ~PageSizeSetDlg() override;

    // The page formats in millimetres, by name ("A0".."A4", "超A0").
    static const QMap<QString, stPageSizeInfo>& formats();
    static const QString& customName();

    stPageSizeInfo pageSize() const;
    // Recorded only; no operation scales pages.
    bool keepAspectRatio() const;

private slots:
    void on_comboBox_pageType_currentTextChanged(const QString& name);
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    Ui::PageSizeSetDlg* ui;
};
