#include "StatsExport.h"

#include "PageFormat.h"
#include "XlsxWriter.h"

#include <QSaveFile>
#include <QVariant>

namespace StatsExport {
namespace {

// The six formats in the columns' order: A4, A3, A2, A1, A0, 超A0.
QStringList formatNames()
{
    QStringList names;
    for (const PageFormat::Format& format : PageFormat::table())
        names << format.name;
    return names;
}

using Row = QVector<QVariant>;

Row dirRow(const DirStat& dir, bool gigabytes)
{
    Row row{dir.name, dir.a4Equivalent};
    for (const QString& format : formatNames())
        row << dir.count(format);
    row << dir.fileCount << sizeText(dir.bytes, gigabytes) << dir.path;
    return row;
}

void collectRows(const DirStat& dir, bool gigabytes, QVector<Row>& rows, QVector<int>& extra)
{
    rows << dirRow(dir, gigabytes);
    extra << dir.noResolution;
    for (const DirStat& sub : dir.subDirs)
        collectRows(sub, gigabytes, rows, extra);
}

Row totalRow(const StatsTotals& totals, bool gigabytes)
{
    Row row{QStringLiteral("统计"), totals.a4Equivalent()};
    for (const QString& format : formatNames())
        row << totals.counts.value(format);
    row << totals.fileCount << sizeText(totals.bytes, gigabytes) << QString();
    return row;
}

QString csvField(const QVariant& value)
{
    QString text = value.toString();
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n'))) {
        text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        text = QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

} // namespace

QStringList columnTitles()
{
    return QStringList{QStringLiteral("目录名"), QStringLiteral("折合A4")} + formatNames() +
           QStringList{QStringLiteral("文件个数"), QStringLiteral("大小"), QStringLiteral("路径")};
}

QString sizeText(qint64 bytes, bool gigabytes)
{
    if (gigabytes)
        return QString::number(double(bytes) / (1 << 30), 'f', 2) + QStringLiteral("GB");
    return QString::number(double(bytes) / (1 << 20), 'f', 2) + QStringLiteral("MB");
}

bool writeXlsx(const QString& path, const DirStat& root, const StatsTotals& totals, bool gigabytes,
               QString* reason)
{
    XlsxWriter writer(path);
    writer.addSheet(QStringLiteral("幅面统计"));
    const QStringList titles = columnTitles();
    // Name and path wide, counts narrow.
    for (int column = 1; column <= titles.size(); ++column) {
        const bool wide = column == 1 || column == titles.size();
        writer.setColumnWidth(column, wide ? 40 : column == titles.size() - 1 ? 14 : 9);
        writer.writeHeader(1, column, titles.at(column - 1));
    }
    QVector<Row> rows;
    QVector<int> unused;
    collectRows(root, gigabytes, rows, unused);
    rows << totalRow(totals, gigabytes);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows.at(r).size(); ++c)
            writer.writeValue(r + 2, c + 1, rows.at(r).at(c));
    }
    return writer.save(reason);
}

bool writeCsv(const QString& path, const DirStat& root, const StatsTotals& totals, bool gigabytes,
              QString* reason)
{
    QVector<Row> rows;
    QVector<int> noResolution;
    collectRows(root, gigabytes, rows, noResolution);
    rows << totalRow(totals, gigabytes);
    noResolution << totals.noResolution;

    QStringList lines{(columnTitles() << QStringLiteral("无分辨率")).join(QLatin1Char(','))};
    for (int r = 0; r < rows.size(); ++r) {
        QStringList fields;
        for (const QVariant& value : rows.at(r))
            fields << csvField(value);
        fields << QString::number(noResolution.at(r));
        lines << fields.join(QLatin1Char(','));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    file.write("\xEF\xBB\xBF");
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!file.commit()) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace StatsExport
