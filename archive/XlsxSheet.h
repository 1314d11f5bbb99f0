#pragma once

#include "XlsxNumberFormats.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <deque>
#include <memory>
#include <vector>

// One parsed worksheet: its cells that hold a value, kept sparse and sorted by
// row then column, and its merged ranges.
//
// A cell is stored in 12 bytes (numbers and dates as the double, shared strings as
// an index into the workbook's table) in chunked storage that never copies itself
// while growing: a sheet at the cell limit stays within a few hundred megabytes.
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
    // True when the row holds at least one value (merged copies included).
    bool hasValues(int row) const;

    // The value at a 1-based row and column; a cell covered by a merged range
    // gives the value of the range's top-left cell; invalid when there is none.
    // The used range comes from stored values only: merges never widen it.
    QVariant cell(int row, int column) const;

    // Filled by the parser: rows and cells may come in any order, a later
    // duplicate replaces an earlier one.
    void addCell(int row, int column, const QVariant& value);
    // A number; a date kind makes it read as its date text.
    void addNumber(int row, int column, double value,
                   XlsxNumberFormats::Kind kind = XlsxNumberFormats::Number);
    // Entry `index` of the shared strings given to setSharedStrings().
    void addSharedString(int row, int column, int index);
    void setSharedStrings(std::shared_ptr<const QStringList> strings) { m_shared = strings; }
    void setDate1904(bool on) { m_date1904 = on; }
    void addMerge(const Range& range) { m_merges.push_back(range); }
    // Sorts the cells and fills merged ranges; false when that would pass the cell budget.
    bool finish(qint64* cellsLeft);

private:
    enum Type : quint8
    {
        Number,
        Date,
        DateTime,
        Bool,
        Shared,
        Other // an entry of m_values
    };
    struct Stored
    {
        quint16 column;
        Type type;
        quint8 unused;
        quint32 payload[2];
    };
    struct RowStart
    {
        int row;
        quint32 first; // index of its first cell; the next row's start ends it
    };

    void append(int row, int column, Type type, const void* payload);
    const Stored* find(int row, int column) const;
    QVariant valueOf(const Stored& stored) const;
    size_t rowEnd(size_t rowIndex) const;
    void normalize();
    void computeRange();

    std::deque<Stored> m_cells;
    std::deque<RowStart> m_rows;
    std::vector<QVariant> m_values;
    std::shared_ptr<const QStringList> m_shared;
    std::vector<Range> m_merges;
    bool m_date1904 = false;
    bool m_ordered = true;
    int m_firstRow = 0, m_lastRow = 0, m_firstColumn = 0, m_lastColumn = 0;
};
