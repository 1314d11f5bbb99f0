#pragma once

#include "ItemHeaders.h"
#include "ItemRecordSet.h"

#include <QDialog>
#include <functional>

class ItemListForm;
class QFileSystemModel;

namespace Ui {
class EntryImportDlg;
}

// The quality check's entry import: loads the item list and builds the item
// records that are matched against the data folder.
class EntryImportDlg : public QDialog
{
    Q_OBJECT
public:
    // Asks for the data folder; "" when cancelled.
    using FolderHook = std::function<QString(QWidget* parent, const QString& start)>;

    explicit EntryImportDlg(QWidget* parent = nullptr);
    ~EntryImportDlg() override;

    // Replaces the directory chooser; an empty hook puts it back.
    static void setFolderHook(FolderHook hook);

    QString dataDir() const { return m_dataDir; }
    void setDataDir(const QString& folder);
    QString workbookPath() const;
    const QStringList& matchErrors() const { return m_matchErrors; }
    bool matched() const { return m_matched; }

    // Checks the page numbers and matches every record to its folder; a
    // failure shows one box and leaves the dialog unmatched.
    void matchEntries();

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
    void on_btn_load_folder_clicked();
    void on_comboBox_archiveType_currentTextChanged(const QString& text);
    void on_btn_match_clicked();
    void on_btn_qc_clicked();

private:
    // "" when the records were built, else why not.
    QString loadItemRecords();

    Ui::EntryImportDlg* ui;
    ItemListForm* m_items;
    ItemRecordSet m_records;
    QFileSystemModel* m_folders;
    QString m_dataDir;
    QStringList m_matchErrors;
    bool m_matched = false;
};
