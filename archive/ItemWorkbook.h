#pragma once

#include "ItemHeaders.h"
#include "XlsxWorkbook.h"

#include <QString>
#include <QStringList>

class XlsxSheet;

// An item list as the split tab and the two item dialogs use it: load a
// workbook, list its sheets, choose one, and read its header row and extent.
// Widget-free, so the dialogs share it and tests drive it directly.
class ItemWorkbook
{
public:
    // "" when loaded, otherwise the reason; on failure no sheet is listed.
    QString load(const QString& path);
    QString path() const { return m_path; }
    bool isLoaded() const { return m_loaded; }
    QStringList sheetNames() const;

    // False, with the warning "worksheet is null", when there is no such sheet;
    // the previous choice is dropped either way.
    bool selectSheet(const QString& name);
    // nullptr when none is chosen.
    const XlsxSheet* currentSheet() const { return m_sheet; }

    ItemHeaders headers(ItemHeaders::Mode mode) const;
    // A row below the header row holds something.
    bool hasItems() const;
    // The largest column and row number a numbered column choice may take:
    // the last used ones, as absolute sheet positions (at least 1).
    int lastColumn() const;
    int lastRow() const;

private:
    XlsxWorkbook m_book;
    QString m_path;
    bool m_loaded = false;
    const XlsxSheet* m_sheet = nullptr;
};
