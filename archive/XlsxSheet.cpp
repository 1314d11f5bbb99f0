#include "XlsxSheet.h"

#include <algorithm>

void XlsxSheet::addCell(int row, int column, const QVariant& value)
{
    if (m_rows.empty() || m_rows.back().row != row)
        m_rows.push_back(Row{row, {}});
    m_rows.back().cells.push_back(Cell{column, value});
}

void XlsxSheet::normalize()
{
    const auto rowBefore = [](const Row& a, const Row& b) { return a.row < b.row; };
    const auto cellBefore = [](const Cell& a, const Cell& b) { return a.column < b.column; };
    const bool ordered = std::adjacent_find(m_rows.begin(), m_rows.end(),
                                            [](const Row& a, const Row& b) {
                                                return a.row >= b.row;
                                            }) == m_rows.end() &&
                         std::all_of(m_rows.begin(), m_rows.end(), [](const Row& r) {
                             return std::adjacent_find(r.cells.begin(), r.cells.end(),
                                                       [](const Cell& a, const Cell& b) {
                                                           return a.column >= b.column;
                                                       }) == r.cells.end();
                         });
    if (ordered)
        return;
    // Writers emit rows and cells in order; sorting only matters for odd files,
    // and a stable sort keeps the later of two duplicates last.
    std::stable_sort(m_rows.begin(), m_rows.end(), rowBefore);
    std::vector<Row> merged;
    for (Row& r : m_rows) {
        if (!merged.empty() && merged.back().row == r.row) {
            for (Cell& c : r.cells)
                merged.back().cells.push_back(std::move(c));
        } else {
            merged.push_back(std::move(r));
        }
    }
    m_rows.swap(merged);
    for (Row& r : m_rows) {
        std::stable_sort(r.cells.begin(), r.cells.end(), cellBefore);
        std::vector<Cell> unique;
        for (Cell& c : r.cells) {
            if (!unique.empty() && unique.back().column == c.column)
                unique.back() = std::move(c);
            else
                unique.push_back(std::move(c));
        }
        r.cells.swap(unique);
    }
}

void XlsxSheet::computeRange()
{
    if (m_rows.empty())
        return;
    m_firstRow = m_rows.front().row;
    m_lastRow = m_rows.back().row;
    m_firstColumn = m_rows.front().cells.front().column;
    m_lastColumn = m_firstColumn;
    for (const Row& r : m_rows) {
        m_firstColumn = std::min(m_firstColumn, r.cells.front().column);
        m_lastColumn = std::max(m_lastColumn, r.cells.back().column);
    }
}

QVariant XlsxSheet::storedCell(int row, int column) const
{
    auto r = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                              [](const Row& a, int value) { return a.row < value; });
    if (r == m_rows.end() || r->row != row)
        return QVariant();
    auto c = std::lower_bound(r->cells.begin(), r->cells.end(), column,
                              [](const Cell& a, int value) { return a.column < value; });
    if (c == r->cells.end() || c->column != column)
        return QVariant();
    return c->value;
}

QVariant XlsxSheet::cell(int row, int column) const
{
    if (row < 1 || column < 1)
        return QVariant();
    return storedCell(row, column);
}

bool XlsxSheet::finish(qint64* cellsLeft)
{
    normalize();
    computeRange();
    // Covered cells of a merged range read as its top-left cell. They are filled
    // in once, within the range of real values only, so lookups stay a binary
    // search and a sheet-wide merge costs no more than the cells it really spans.
    qint64 area = 0;
    std::vector<QVariant> anchors;
    for (Range& m : m_merges) {
        anchors.push_back(storedCell(m.firstRow, m.firstColumn));
        m.firstRow = std::max(m.firstRow, m_firstRow);
        m.lastRow = std::min(m.lastRow, m_lastRow);
        m.firstColumn = std::max(m.firstColumn, m_firstColumn);
        m.lastColumn = std::min(m.lastColumn, m_lastColumn);
        if (m.firstRow <= m.lastRow && m.firstColumn <= m.lastColumn)
            area += qint64(m.lastRow - m.firstRow + 1) * (m.lastColumn - m.firstColumn + 1);
        if (area > *cellsLeft)
            return false; // checked before anything is allocated
    }
    std::vector<std::pair<std::pair<int, int>, QVariant>> added;
    for (size_t i = 0; i < m_merges.size(); ++i) {
        const Range& m = m_merges[i];
        const QVariant& anchor = anchors[i];
        if (!anchor.isValid())
            continue;
        for (int r = m.firstRow; r <= m.lastRow; ++r) {
            for (int c = m.firstColumn; c <= m.lastColumn; ++c) {
                if (storedCell(r, c).isValid())
                    continue;
                if (--*cellsLeft < 0)
                    return false;
                added.push_back({{r, c}, anchor});
            }
        }
    }
    m_merges.clear();
    if (added.empty())
        return true;
    for (const auto& a : added)
        addCell(a.first.first, a.first.second, a.second);
    normalize();
    return true;
}
