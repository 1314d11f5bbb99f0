#pragma once

#include "XlsxWriter.h"

#include <QString>
#include <QVariant>
#include <QVector>

// Small item-list workbooks for tests, written with our own writer.
struct ItemCell
{
    int row;
    int column;
    QVariant value;
};

struct ItemSheet
{
    QString name;
    QVector<ItemCell> cells;
};

// A header row at (row, firstColumn) and one data row per entry of rows below it.
inline ItemSheet itemSheet(const QString& name, int row, int firstColumn,
                           const QVector<QVariantList>& rows)
{
    ItemSheet sheet{name, {}};
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].isValid())
                sheet.cells << ItemCell{row + r, firstColumn + c, rows[r][c]};
        }
    }
    return sheet;
}

inline bool writeItemBook(const QString& path, const QVector<ItemSheet>& sheets)
{
    XlsxWriter writer(path);
    for (const ItemSheet& sheet : sheets) {
        writer.addSheet(sheet.name);
        for (const ItemCell& cell : sheet.cells)
            writer.writeValue(cell.row, cell.column, cell.value);
    }
    return writer.save();
}
