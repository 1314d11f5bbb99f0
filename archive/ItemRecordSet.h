#pragma once

#include "ItemRecord.h"

#include <QHash>
#include <QVector>

class ItemHeaders;
class XlsxSheet;

// The items of one sheet, built anew on every run: all of them in sheet order,
// and by archive number, where a later row with the same number replaces the
// earlier one (both stay in the list).
class ItemRecordSet
{
public:
    // Every non-empty row below the header row. archiveNoHeader names the
    // column that gives each record its archive number; a value in the
    // pageCountHeader column that is not a whole number is logged and kept
    // as it is, for the checks to judge.
    void build(const XlsxSheet& sheet, const ItemHeaders& headers, const QString& archiveNoHeader,
               const QString& pageCountHeader);
    void clear();

    const QVector<ItemRecord>& itemRecords() const { return m_records; }
    const QHash<QString, ItemRecord>& itemsByArchiveNo() const { return m_byArchiveNo; }

private:
    QVector<ItemRecord> m_records;
    QHash<QString, ItemRecord> m_byArchiveNo;
};
