#include "ItemWorkbook.h"

#include "SheetRows.h"
#include "XlsxSheet.h"

#include <QDebug>

QString ItemWorkbook::load(const QString& path)
{
    m_path = path;
    m_sheet = nullptr;
    m_book = XlsxWorkbook();
    const QString reason = m_book.open(path);
    m_loaded = reason.isEmpty();
    if (!m_loaded)
        m_book = XlsxWorkbook();
    return reason;
}

QStringList ItemWorkbook::sheetNames() const
{
    return m_loaded ? m_book.sheetNames() : QStringList();
}

bool ItemWorkbook::selectSheet(const QString& name)
{
    m_sheet = m_loaded ? m_book.sheet(name) : nullptr;
    if (!m_sheet)
        qWarning() << "worksheet is null";
    return m_sheet != nullptr;
}

ItemHeaders ItemWorkbook::headers(ItemHeaders::Mode mode) const
{
    return m_sheet ? ItemHeaders::read(*m_sheet, mode) : ItemHeaders();
}

bool ItemWorkbook::hasItems() const
{
    return m_sheet && SheetRows::hasDataRow(*m_sheet, m_sheet->firstRow() + 1);
}

int ItemWorkbook::lastColumn() const
{
    return m_sheet ? qMax(1, m_sheet->lastColumn()) : 1;
}

int ItemWorkbook::lastRow() const
{
    return m_sheet ? qMax(1, m_sheet->lastRow()) : 1;
}
