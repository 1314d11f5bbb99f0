#pragma once

#include <QList>
#include <algorithm>
#include <iterator>

// Check marks of list models whose row records carry a bool `checked`
// (the file list and the splitting tool's folder list).
namespace CheckedRows {

template <typename Row> QList<Row> checked(const QList<Row>& rows)
{
    QList<Row> result;
    std::copy_if(rows.cbegin(), rows.cend(), std::back_inserter(result),
                 [](const Row& row) { return row.checked; });
    return result;
}

template <typename Row> void setAll(QList<Row>& rows, bool on)
{
    for (Row& row : rows)
        row.checked = on;
}

} // namespace CheckedRows
