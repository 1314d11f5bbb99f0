#pragma once

#include "ItemHeaders.h"
#include "SplitPlan.h"
#include "ToolSplitPlanner.h"

#include <QDialog>

class FolderTableModel;
class ItemListForm;
class QMenu;

namespace Ui {
class SplitToolDlg;
}

// The splitting tool: copies the pages of checked case-file folders into item
// folders built by the storage rule, by an item list whose columns are chosen
// by header text. Every check runs before the output folder is asked for.
class SplitToolDlg : public QDialog
{
    Q_OBJECT
public:
    explicit SplitToolDlg(QWidget* parent = nullptr);
    ~SplitToolDlg() override;

    const QStringList& headerNames() const;
    const ItemHeaders& headers() const;
    QString dataDir() const { return m_dataDir; }
    // The case-file list's context menu ("全选", "取消全选").
    QMenu* folderMenu() const { return m_folderMenu; }

public slots:
    void importItemWorkbook();
    void readItemHeaders(const QString& sheetName);
    void presetItemColumns();

private slots:
    void on_btn_load_folder_clicked();
    void on_btn_fj_pagecount_clicked();
    void on_btn_fj_pageno_clicked();
    void on_btn_fj_import_excel_clicked();

private:
    void split(SplitMode mode);
    // The request with every row of the list, or "" and a message shown.
    bool readRequest(SplitMode mode, ToolSplitRequest* request);
    // The checks that need no output folder; false after showing the first failure.
    bool checkRequest(const ToolSplitRequest& request);
    void copy(const SplitPlan& plan);

    Ui::SplitToolDlg* ui;
    ItemListForm* m_items;
    FolderTableModel* m_folders;
    QMenu* m_folderMenu;
    QString m_dataDir;
};
