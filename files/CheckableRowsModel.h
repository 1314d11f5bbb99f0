#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <algorithm>
#include <iterator>

// A table of row records that carry a bool `checked` in column 0: the file
// list and the splitting tool's folder list share their check marks here.
// A check mark is row content, not a row change, so it is announced as a data
// change and the view keeps its current row.
template <typename Row> class CheckableRowsModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void checkAll() { setAll(true); }
    void uncheckAll() { setAll(false); }
    void toggleCheck(int row)
    {
        if (!validRow(row))
            return;
        m_rows[row].checked = !m_rows[row].checked;
        notifyCheckChanged(row, row);
    }

protected:
    bool validRow(int row) const { return row >= 0 && row < m_rows.size(); }

    QList<Row> checkedRows() const
    {
        QList<Row> result;
        std::copy_if(m_rows.cbegin(), m_rows.cend(), std::back_inserter(result),
                     [](const Row& row) { return row.checked; });
        return result;
    }

    void notifyCheckChanged(int firstRow, int lastRow)
    {
        if (firstRow <= lastRow)
            emit this->dataChanged(this->index(firstRow, 0), this->index(lastRow, 0),
                                   {Qt::CheckStateRole});
    }

    QList<Row> m_rows;

private:
    void setAll(bool on)
    {
        for (Row& row : m_rows)
            row.checked = on;
        notifyCheckChanged(0, m_rows.size() - 1);
    }
};
