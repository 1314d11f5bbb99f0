#pragma once

#include "SplitPlan.h"

#include <QDialog>

class QTableWidget;

// Shows what a split is about to do, one row per item (first file, last file,
// page count, destination), so the operator confirms before anything changes.
class SplitPreviewDlg : public QDialog
{
    Q_OBJECT
public:
    explicit SplitPreviewDlg(const SplitPlan& plan, QWidget* parent = nullptr);

    // True when the operator confirms the plan.
    static bool confirm(const SplitPlan& plan, QWidget* parent);

private:
    QTableWidget* m_table;
};
