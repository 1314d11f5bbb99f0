#include "ItemRecordSet.h"

#include "CellText.h"
#include "ItemHeaders.h"
#include "SheetRows.h"
#include "XlsxSheet.h"

#include <QDebug>

void ItemRecordSet::clear()
{
    m_records.clear();
    m_byArchiveNo.clear();
}

void ItemRecordSet::build(const XlsxSheet& sheet, const ItemHeaders& headers,
                          const QString& archiveNoHeader, const QString& pageCountHeader)
{
    clear();
    if (sheet.isEmpty())
        return;
    const QStringList& names = headers.names();
    const QVector<int>& columns = headers.columns();
    const int pageCountAt = pageCountHeader.isEmpty() ? -1 : names.lastIndexOf(pageCountHeader);
    for (int row : SheetRows::dataRows(sheet, sheet.firstRow() + 1)) {
        QVector<QVariant> values;
        values.reserve(names.size());
        for (int i = 0; i < names.size(); ++i) {
            const QVariant value = sheet.cell(row, columns[i]);
            values << (value.isValid() ? value : QVariant(QString()));
        }
        if (pageCountAt >= 0) {
            qint64 pages = 0;
            if (!cellInteger(values[pageCountAt], &pages))
                qWarning().noquote() << QStringLiteral("第[%1]行[%2]格式错误：不是数字格式")
                                            .arg(row)
                                            .arg(pageCountHeader);
        }
        ItemRecord record(row, names, values);
        record.setArchiveNo(record.text(archiveNoHeader));
        qDebug().noquote() << record.describe();
        m_byArchiveNo.insert(record.archiveNo(), record);
        m_records << record;
    }
}
