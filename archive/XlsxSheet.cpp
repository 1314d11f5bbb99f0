#include "XlsxSheet.h"

#include <algorithm>
#include <cstring>

void XlsxSheet::append(int row, int column, Type type, const void* payload)
{
    Stored stored;
    stored.column = quint16(column);
    stored.type = type;
    stored.unused = 0;
    std::memcpy(stored.payload, payload, sizeof stored.payload);
    if (m_rows.empty() || m_rows.back().row != row) {
        if (!m_rows.empty() && m_rows.back().row > row)
            m_ordered = false;
        m_rows.push_back(RowStart{row, quint32(m_cells.size())});
    } else if (m_cells.back().column >= column) {
        m_ordered = false;
    }
    m_cells.push_back(stored);
}

void XlsxSheet::addNumber(int row, int column, double value, XlsxNumberFormats::Kind kind)
{
    const Type type = kind == XlsxNumberFormats::Date       ? Date
                      : kind == XlsxNumberFormats::DateTime ? DateTime
                                                            : Number;
    append(row, column, type, &value);
}

void XlsxSheet::addSharedString(int row, int column, int index)
{
    const quint64 payload = quint32(index);
    append(row, column, Shared, &payload);
}

void XlsxSheet::addCell(int row, int column, const QVariant& value)
{
    if (value.userType() == QMetaType::Double) {
        addNumber(row, column, value.toDouble());
    } else if (value.userType() == QMetaType::Bool) {
        const quint64 payload = value.toBool();
        append(row, column, Bool, &payload);
    } else {
        const quint64 payload = m_values.size();
        m_values.push_back(value);
        append(row, column, Other, &payload);
    }
}

size_t XlsxSheet::rowEnd(size_t rowIndex) const
{
    return rowIndex + 1 < m_rows.size() ? m_rows[rowIndex + 1].first : m_cells.size();
}

void XlsxSheet::normalize()
{
    if (m_ordered)
        return;
    // Writers emit rows and cells in order; sorting only matters for odd files,
    // and a stable sort keeps the later of two duplicates last.
    struct Placed
    {
        int row;
        Stored stored;
    };
    std::vector<Placed> all;
    all.reserve(m_cells.size());
    for (size_t r = 0; r < m_rows.size(); ++r) {
        for (size_t i = m_rows[r].first; i < rowEnd(r); ++i)
            all.push_back(Placed{m_rows[r].row, m_cells[i]});
    }
    std::stable_sort(all.begin(), all.end(), [](const Placed& a, const Placed& b) {
        return a.row != b.row ? a.row < b.row : a.stored.column < b.stored.column;
    });
    m_cells.clear();
    m_rows.clear();
    for (const Placed& p : all) {
        if (!m_rows.empty() && m_rows.back().row == p.row &&
            m_cells.back().column == p.stored.column) {
            m_cells.back() = p.stored;
            continue;
        }
        if (m_rows.empty() || m_rows.back().row != p.row)
            m_rows.push_back(RowStart{p.row, quint32(m_cells.size())});
        m_cells.push_back(p.stored);
    }
    m_ordered = true;
}

void XlsxSheet::computeRange()
{
    if (m_rows.empty())
        return;
    m_firstRow = m_rows.front().row;
    m_lastRow = m_rows.back().row;
    m_firstColumn = m_cells.front().column;
    m_lastColumn = m_firstColumn;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        m_firstColumn = std::min<int>(m_firstColumn, m_cells[m_rows[r].first].column);
        m_lastColumn = std::max<int>(m_lastColumn, m_cells[rowEnd(r) - 1].column);
    }
}

const XlsxSheet::Stored* XlsxSheet::find(int row, int column) const
{
    auto r = std::lower_bound(m_rows.begin(), m_rows.end(), row,
                              [](const RowStart& a, int value) { return a.row < value; });
    if (r == m_rows.end() || r->row != row)
        return nullptr;
    const auto begin = m_cells.begin() + r->first;
    const auto end = m_cells.begin() + rowEnd(size_t(r - m_rows.begin()));
    auto c = std::lower_bound(begin, end, column,
                              [](const Stored& a, int value) { return a.column < value; });
    if (c == end || c->column != column)
        return nullptr;
    return &*c;
}

QVariant XlsxSheet::valueOf(const Stored& stored) const
{
    double number = 0;
    std::memcpy(&number, stored.payload, sizeof number);
    switch (stored.type) {
    case Date:
    case DateTime: {
        const QString text = XlsxNumberFormats::serialText(
            number, stored.type == Date ? XlsxNumberFormats::Date : XlsxNumberFormats::DateTime,
            m_date1904);
        if (!text.isEmpty())
            return text;
        return number;
    }
    case Number:
        return number;
    case Bool:
        return QVariant(stored.payload[0] != 0);
    case Shared:
        return m_shared && int(stored.payload[0]) < m_shared->size()
                   ? QVariant(m_shared->at(int(stored.payload[0])))
                   : QVariant();
    case Other:
        return m_values[stored.payload[0]];
    }
    return QVariant();
}

QVariant XlsxSheet::cell(int row, int column) const
{
    if (row < 1 || column < 1)
        return QVariant();
    const Stored* stored = find(row, column);
    return stored ? valueOf(*stored) : QVariant();
}

bool XlsxSheet::hasValues(int row) const
{
    return std::binary_search(m_rows.begin(), m_rows.end(), RowStart{row, 0},
                              [](const RowStart& a, const RowStart& b) { return a.row < b.row; });
}

bool XlsxSheet::finish(qint64* cellsLeft)
{
    normalize();
    computeRange();
    // Covered cells of a merged range read as its top-left cell. They are filled
    // in once, within the range of real values only, so lookups stay a binary
    // search and a sheet-wide merge costs no more than the cells it really spans.
    qint64 area = 0;
    std::vector<const Stored*> anchors;
    for (Range& m : m_merges) {
        anchors.push_back(find(m.firstRow, m.firstColumn));
        m.firstRow = std::max(m.firstRow, m_firstRow);
        m.lastRow = std::min(m.lastRow, m_lastRow);
        m.firstColumn = std::max(m.firstColumn, m_firstColumn);
        m.lastColumn = std::min(m.lastColumn, m_lastColumn);
        if (m.firstRow <= m.lastRow && m.firstColumn <= m.lastColumn)
            area += qint64(m.lastRow - m.firstRow + 1) * (m.lastColumn - m.firstColumn + 1);
        if (area > *cellsLeft)
            return false; // checked before anything is allocated
    }
    std::vector<std::pair<std::pair<int, int>, Stored>> added;
    for (size_t i = 0; i < m_merges.size(); ++i) {
        const Range& m = m_merges[i];
        if (!anchors[i])
            continue;
        for (int r = m.firstRow; r <= m.lastRow; ++r) {
            for (int c = m.firstColumn; c <= m.lastColumn; ++c) {
                if (find(r, c))
                    continue;
                if (--*cellsLeft < 0)
                    return false;
                added.push_back({{r, c}, *anchors[i]});
            }
        }
    }
    m_merges.clear();
    if (added.empty())
        return true;
    for (const auto& a : added)
        append(a.first.first, a.first.second, a.second.type, a.second.payload);
    normalize();
    return true;
}
