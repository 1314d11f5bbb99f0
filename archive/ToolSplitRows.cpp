#include "ToolSplitRows.h"

#include "CellText.h"
#include "SheetRows.h"
#include "XlsxSheet.h"

QVector<SplitRow> ToolSplitRows::read(const XlsxSheet& sheet, const Columns& columns)
{
    const auto text = [&sheet](int row, int column) {
        return column > 0 ? cellText(sheet.cell(row, column)) : QString();
    };
    QVector<SplitRow> rows;
    for (int r : SheetRows::dataRows(sheet, sheet.firstRow() + 1)) {
        SplitRow row;
        row.sheetRow = r;
        row.archiveNo = text(r, columns.archiveNo);
        row.pageNo = text(r, columns.pageNo);
        row.pageCount = text(r, columns.pageCount);
        row.caseNo = text(r, columns.caseNo);
        for (int column : columns.storage)
            row.storageValues << text(r, column);
        rows << row;
    }
    return rows;
}
