#include "SheetRows.h"

#include "CellText.h"
#include "XlsxSheet.h"

#include <QDebug>

bool SheetRows::isEmptyRow(const XlsxSheet& sheet, int row)
{
    for (int column = sheet.firstColumn(); column <= sheet.lastColumn(); ++column) {
        const QVariant value = sheet.cell(row, column);
        if (value.isValid() && !cellText(value).trimmed().isEmpty())
            return false;
    }
    return true;
}

QVector<int> SheetRows::dataRows(const XlsxSheet& sheet, int fromRow)
{
    QVector<int> rows;
    if (sheet.isEmpty())
        return rows;
    for (int row = qMax(fromRow, sheet.firstRow()); row <= sheet.lastRow(); ++row) {
        if (isEmptyRow(sheet, row))
            qDebug().noquote()
                << QStringLiteral("empty row %1 of sheet %2 skipped").arg(row).arg(sheet.name);
        else
            rows << row;
    }
    return rows;
}

bool SheetRows::hasDataRow(const XlsxSheet& sheet, int fromRow)
{
    if (sheet.isEmpty())
        return false;
    for (int row = qMax(fromRow, sheet.firstRow()); row <= sheet.lastRow(); ++row) {
        if (!isEmptyRow(sheet, row))
            return true;
    }
    return false;
}
