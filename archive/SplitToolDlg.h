#pragma once

#include "ItemHeaders.h"

#include <QDialog>

class ItemListForm;

namespace Ui {
class SplitToolDlg;
}

// The splitting tool: cuts case-file folders into items by an item list whose
// columns are chosen by header text.
class SplitToolDlg : public QDialog
{
    Q_OBJECT
public:
    explicit SplitToolDlg(QWidget* parent = nullptr);
    ~SplitToolDlg() override;

    const QStringList& headerNames() const;
    const ItemHeaders& headers() const;

public slots:
    void importItemWorkbook();
    void readItemHeaders(const QString& sheetName);
    void presetItemColumns();

private slots:
    void on_btn_fj_import_excel_clicked();

private:
    Ui::SplitToolDlg* ui;
    ItemListForm* m_items;
};
