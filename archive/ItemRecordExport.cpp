#include "ItemRecordExport.h"

#include "XlsxWriter.h"

#include <QFileInfo>

bool ItemRecordExport::write(const QString& path, const QStringList& headers,
                             const QList<ItemRecord>& records, QString* reason)
{
    XlsxWriter writer(path);
    writer.addSheet(QStringLiteral("Sheet1"));
    for (int j = 0; j < headers.size(); ++j)
        writer.writeText(1, j + 1, headers.at(j));
    int lastRow = 1;
    for (const ItemRecord& record : records)
        lastRow = qMax(lastRow, record.row());
    for (const ItemRecord& record : records) {
        const int row = record.row() > 1 ? record.row() : ++lastRow;
        const bool samePositions = record.headers() == headers;
        for (int j = 0; j < headers.size(); ++j) {
            const QVariant value = samePositions ? record.valueAt(j) : record.value(headers.at(j));
            writer.writeValue(row, j + 1, value);
        }
    }
    return writer.save(reason);
}

bool ItemRecordExport::sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return first.absoluteFilePath() == second.absoluteFilePath();
}
