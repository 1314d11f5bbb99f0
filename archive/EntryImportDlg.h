#pragma once

#include "ItemHeaders.h"
#include "ItemRecordSet.h"

#include <QDialog>

class ItemListForm;

namespace Ui {
class EntryImportDlg;
}

// The quality check's entry import: loads the item list and builds the item
// records that are matched against the data folder.
class EntryImportDlg : public QDialog
{
    Q_OBJECT
public:
    explicit EntryImportDlg(QWidget* parent = nullptr);
    ~EntryImportDlg() override;

    // The archive type "案卷": rows are documents grouped into case files.
    bool isCaseFile() const;

    const QStringList& headerNames() const;
    const ItemHeaders& headers() const;

    // The records of the sheet chosen, with the archive number and page count
    // from the columns chosen; empty when the workbook or sheet cannot be read.
    void buildItemRecords();
    const QVector<ItemRecord>& itemRecords() const { return m_records.itemRecords(); }
    const QHash<QString, ItemRecord>& itemsByArchiveNo() const
    {
        return m_records.itemsByArchiveNo();
    }

public slots:
    void importItemWorkbook();
    void readItemHeaders(const QString& sheetName);
    void presetItemColumns();

private slots:
    void on_btn_import_excel_clicked();

private:
    Ui::EntryImportDlg* ui;
    ItemListForm* m_items;
    ItemRecordSet m_records;
};
