#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <vector>

// One parsed worksheet: its cells that hold a value, kept sparse and sorted by
// row then column, and its merged ranges.
class XlsxSheet
{
public:
    struct Cell
    {
        int column;
        QVariant value;
    };
    struct Row
    {
        int row;
        std::vector<Cell> cells;
    };
    struct Range
    {
        int firstRow, firstColumn, lastRow, lastColumn;
    };

    QString name;

    // The used range, 1-based, from the cells that hold a value; all 0 for an empty sheet.
    int firstRow() const { return m_firstRow; }
    int lastRow() const { return m_lastRow; }
    int firstColumn() const { return m_firstColumn; }
    int lastColumn() const { return m_lastColumn; }
    bool isEmpty() const { return m_rows.empty(); }

    // The value at a 1-based row and column; a cell covered by a merged range
    // gives the value of the range's top-left cell; invalid when there is none.
    // The used range comes from stored values only: merges never widen it.
    QVariant cell(int row, int column) const;

    // Filled by the parser: rows and cells may come in any order, a later
    // duplicate replaces an earlier one.
    void addCell(int row, int column, const QVariant& value);
    void addMerge(const Range& range) { m_merges.push_back(range); }
    // Sorts the cells and fills merged ranges; false when that would pass the cell budget.
    bool finish(qint64* cellsLeft);

private:
    QVariant storedCell(int row, int column) const;
    void normalize();
    void computeRange();

    std::vector<Row> m_rows;
    std::vector<Range> m_merges;
    int m_firstRow = 0, m_lastRow = 0, m_firstColumn = 0, m_lastColumn = 0;
};
