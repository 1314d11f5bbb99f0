#pragma once

#include "SplitRow.h"

#include <QVector>

class XlsxSheet;

// The splitting tool's rows: every data row below the header row, its cells
// read by column number as text. A column of 0 (a header not in the sheet)
// reads as empty cells.
class ToolSplitRows
{
public:
    struct Columns
    {
        int archiveNo = 0;
        int pageNo = 0;
        int pageCount = 0;
        int caseNo = 0;
        QVector<int> storage; // one per storage-rule field
    };

    static QVector<SplitRow> read(const XlsxSheet& sheet, const Columns& columns);
};
