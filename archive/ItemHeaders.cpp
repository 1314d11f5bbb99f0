#include "ItemHeaders.h"

#include "CellText.h"
#include "XlsxSheet.h"

ItemHeaders ItemHeaders::read(const XlsxSheet& sheet, Mode mode)
{
    ItemHeaders headers;
    if (sheet.isEmpty())
        return headers;
    const int row = sheet.firstRow();
    for (int column = sheet.firstColumn(); column <= sheet.lastColumn(); ++column) {
        const QString text = cellText(sheet.cell(row, column));
        if (text.isEmpty() && mode == SkipEmpty)
            continue;
        headers.append(text, column);
    }
    return headers;
}

void ItemHeaders::append(const QString& text, int column)
{
    m_names << text;
    m_columns << column;
    m_byText.insert(text, column);
}
