#include "EntryMatcher.h"

#include "CellText.h"
#include "FolderEntries.h"
#include "ItemFolderName.h"
#include "ItemHeaders.h"
#include "PageNumberCheck.h"
#include "SplitRow.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

bool isImageName(const QString& name)
{
    for (const QString& pattern : EntryMatcher::imagePatterns()) {
        // Every pattern is "*" and a suffix.
        if (name.endsWith(pattern.midRef(1), Qt::CaseSensitive))
            return true;
    }
    return false;
}

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

QStringList EntryMatcher::ruleFields(const QString& rule)
{
    return rule.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

const QStringList& EntryMatcher::imagePatterns()
{
    static const QStringList patterns{
        QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.png"),
        QStringLiteral("*.tif"), QStringLiteral("*.tiff"), QStringLiteral("*.bmp"),
        QStringLiteral("*.BMP"), QStringLiteral("*.TIF"),  QStringLiteral("*.TIFF")};
    return patterns;
}

int EntryMatcher::countImages(const QString& folder)
{
    int count = 0;
    for (const QString& name : FolderEntries::plainFiles(folder)) {
        if (isImageName(name))
            ++count;
    }
    return count;
}

EntryMatcher::Result EntryMatcher::match(const QVector<ItemRecord>& records,
                                         const ItemHeaders& headers, const Options& options)
{
    Result result;
    const QStringList fields = ruleFields(options.rule);
    for (const QString& field : fields) {
        if (headers.column(field) == 0) {
            result.failure = QStringLiteral("条目中不包含匹配规则字段：%1").arg(field);
            return result;
        }
    }
    if (options.caseFile && options.checkPageNumbers && records.size() >= 2) {
        result.failure = checkPageNumbers(records, options);
        if (!result.failure.isEmpty())
            return result;
    }
    QSet<QString> claimed; // every folder a record names, and the folders above it
    for (const ItemRecord& record : records) {
        QString path = options.dataDir;
        QString unusable;
        for (const QString& field : fields) {
            const QString value = record.text(field);
            const QString problem = ItemFolderName::problem(value);
            if (!problem.isEmpty()) {
                unusable = QStringLiteral("%1的%2“%3”不能作为目录名：%4")
                               .arg(record.archiveNo(), field, value, problem);
                break;
            }
            path = joinPath(path, value);
            claimed.insert(QDir::cleanPath(path));
        }
        QString line;
        if (!unusable.isEmpty()) {
            line = unusable;
        } else if (QFileInfo(path).isDir()) {
            qint64 pages = 0;
            const bool whole = cellInteger(record.value(options.pageCountHeader), &pages);
            if (!whole || pages != countImages(path))
                line = QStringLiteral("原文页数与条目不匹配：%1").arg(record.archiveNo());
        } else {
            line = QStringLiteral("不存在目录：") + path;
        }
        if (!line.isEmpty()) {
            qWarning().noquote() << line;
            result.errors << line;
        }
    }
    if (!fields.isEmpty())
        result.unclaimed = unclaimed(options.dataDir, fields.size(), claimed);
    return result;
}

QString EntryMatcher::checkPageNumbers(const QVector<ItemRecord>& records, const Options& options)
{
    QVector<SplitRow> rows;
    QVector<qint64> counts;
    QSet<QString> caseFiles;
    rows.reserve(records.size());
    counts.reserve(records.size());
    for (const ItemRecord& record : records) {
        SplitRow row;
        row.sheetRow = record.row();
        row.archiveNo = record.archiveNo();
        row.pageNo = record.text(options.pageNoHeader);
        row.pageCount = record.text(options.pageCountHeader);
        row.caseNo = record.text(options.caseFileHeader);
        qint64 count = -1; // a count that is no whole number matches no page numbers
        cellInteger(record.value(options.pageCountHeader), &count);
        counts << count;
        caseFiles.insert(row.caseNo);
        rows << row;
    }
    PageNumberCheck check(true, false);
    check.setEntryCheck(true);
    return check.check(rows, caseFiles, &counts);
}

QStringList EntryMatcher::unclaimed(const QString& dataDir, int depth, const QSet<QString>& claimed)
{
    QStringList lines;
    QStringList level{QDir::cleanPath(dataDir)};
    for (int d = 1; d <= depth; ++d) {
        QStringList next;
        for (const QString& folder : level) {
            QStringList names = FolderEntries::all(folder);
            names.sort();
            for (const QString& name : names) {
                if (name.startsWith(QLatin1Char('.')))
                    continue;
                const QString path = joinPath(folder, name);
                const QFileInfo info(path);
                if (!info.isDir()) {
                    // Item folders hold the pages; above them everything is a folder.
                    lines << QStringLiteral("文件不属于任何条目：%1").arg(path);
                } else if (!claimed.contains(path)) {
                    lines << QStringLiteral("目录不属于任何条目：%1").arg(path);
                } else if (d < depth) {
                    next << path;
                } else if (countImages(path) == 0) {
                    lines << QStringLiteral("条目目录中没有图像：%1").arg(path);
                }
            }
        }
        level = next;
    }
    for (const QString& line : lines)
        qWarning().noquote() << line;
    return lines;
}
