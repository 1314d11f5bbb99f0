#pragma once

#include "ItemHeaders.h"
#include "ItemWorkbook.h"

#include <QObject>
#include <functional>

class QComboBox;
class QLineEdit;
class QWidget;

// The item list part that SplitToolDlg and EntryImportDlg share: the workbook
// path, the sheet choice and the column choices by header text. The dialogs
// forward their slots here.
class ItemListForm : public QObject
{
    Q_OBJECT
public:
    // The steps every import of an item list begins with: asks for the file,
    // empties the sheet box (disconnected, so filling it later applies nothing
    // early), shows the path and loads the book, then lists its sheets with the
    // first one selected. false when the operator cancelled or the load failed
    // (the reason is logged; *failed tells which).
    static bool beginImport(QWidget* parent, QLineEdit* path, QComboBox* sheet, ItemWorkbook& book,
                            bool* failed);

    struct Widgets
    {
        QWidget* dialog = nullptr; // parent of the file dialog and message box
        QLineEdit* path = nullptr;
        QComboBox* sheet = nullptr;
        QComboBox* archiveNo = nullptr;
        QComboBox* pageNo = nullptr;
        QComboBox* pageCount = nullptr;
        QComboBox* caseFileNo = nullptr;
    };

    // caseFileColumn says whether the case-file column is offered right now.
    ItemListForm(const Widgets& widgets, std::function<bool()> caseFileColumn,
                 QObject* parent = nullptr);

    // Asks for a workbook, lists its sheets and reads the first one's headers.
    void importItemWorkbook();
    // Rereads the workbook in the path field and the headers of that sheet;
    // a sheet with nothing below its header row keeps the previous headers.
    void readItemHeaders(const QString& sheetName);
    // Fills the column choices with the headers and preselects the usual ones.
    void presetItemColumns();

    const ItemHeaders& headers() const { return m_headers; }

private:
    void connectSheetChoice();

    Widgets m_w;
    std::function<bool()> m_caseFileColumn;
    ItemWorkbook m_book;
    ItemHeaders m_headers;
};
