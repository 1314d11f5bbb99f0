#pragma once

#include <QVector>

class XlsxSheet;

// The data rows of an item list. Operators leave blank separator rows between
// case files, and some programs write empty text down to row 1000; such rows
// carry no item, so every walk over a sheet's rows goes through here.
class SheetRows
{
public:
    // Rows fromRow..lastRow of the used range that hold something in a used
    // column, in order; each row skipped gets a debug line.
    static QVector<int> dataRows(const XlsxSheet& sheet, int fromRow);
    // True when some row from fromRow on holds something; stops at the first.
    static bool hasDataRow(const XlsxSheet& sheet, int fromRow);
    // No cell of the used columns holds more than white space.
    static bool isEmptyRow(const XlsxSheet& sheet, int row);
};
