#include "XlsxWorkbook.h"

#include "XlsxNumberFormats.h"
#include "XlsxPackage.h"
#include "XlsxSheetParser.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct CacheEntry
{
    qint64 size;
    QDateTime modified;
    std::shared_ptr<const XlsxWorkbook::Contents> contents;
};

// A few workbooks are enough: the operator works on one item list at a time.
const int cacheCapacity = 4;
QMutex cacheMutex;
QHash<QString, CacheEntry> cache;
QStringList cacheOrder;

QString readSharedStrings(XlsxPackage& package, const QString& part, QStringList* strings)
{
    auto reader = package.openPart(part);
    if (!reader)
        return QString(); // a workbook without text needs none
    while (reader->next()) {
        if (reader->isStart() && reader->name() == QLatin1String("si"))
            strings->append(XlsxSheetParser::richText(*reader));
    }
    return reader->failure();
}

QString readStyles(XlsxPackage& package, const QString& part,
                   QVector<XlsxNumberFormats::Kind>* kinds)
{
    auto reader = package.openPart(part);
    if (!reader)
        return QString();
    QHash<int, QString> codes;
    // Differential formats (dxfs) carry numFmt elements of their own: only the
    // workbook's format list and the cell formats count.
    bool inCellXfs = false;
    bool inNumFmts = false;
    while (reader->next()) {
        const QLatin1String name = reader->name();
        if (name == QLatin1String("cellXfs")) {
            inCellXfs = reader->isStart();
        } else if (name == QLatin1String("numFmts")) {
            inNumFmts = reader->isStart();
        } else if (!reader->isStart()) {
            continue;
        } else if (name == QLatin1String("numFmt") && inNumFmts) {
            codes.insert(reader->attribute(QStringLiteral("numFmtId")).toInt(),
                         reader->attribute(QStringLiteral("formatCode")));
        } else if (name == QLatin1String("xf") && inCellXfs) {
            const int id = reader->attribute(QStringLiteral("numFmtId")).toInt();
            kinds->append(XlsxNumberFormats::kindOf(id, codes.value(id)));
            reader->skip();
        }
    }
    return reader->failure();
}

std::shared_ptr<const XlsxWorkbook::Contents> load(const QString& path, const XlsxLimits& limits,
                                                   QString* failure)
{
    XlsxPackage package;
    *failure = package.open(path, limits);
    if (!failure->isEmpty())
        return nullptr;

    QString mainPart;
    for (const auto& rel : package.relationships(QString(), failure)) {
        if (rel.type == QLatin1String("officeDocument") && !rel.target.isEmpty()) {
            mainPart = rel.target;
            break;
        }
    }
    if (!failure->isEmpty())
        return nullptr;
    if (mainPart.isEmpty() || !package.hasPart(mainPart)) {
        *failure = QStringLiteral("不是 Excel 工作簿：压缩包中没有工作簿部件");
        return nullptr;
    }

    QHash<QString, QString> targets; // relationship id -> part
    QString sharedStringsPart, stylesPart;
    for (const auto& rel : package.relationships(mainPart, failure)) {
        if (rel.target.isEmpty())
            continue;
        if (rel.type == QLatin1String("worksheet"))
            targets.insert(rel.id, rel.target);
        else if (rel.type == QLatin1String("sharedStrings"))
            sharedStringsPart = rel.target;
        else if (rel.type == QLatin1String("styles"))
            stylesPart = rel.target;
    }
    if (!failure->isEmpty())
        return nullptr;

    QStringList names, parts;
    bool date1904 = false;
    {
        auto reader = package.openPart(mainPart);
        if (!reader) {
            *failure = QStringLiteral("无法读取工作簿部件 %1").arg(mainPart);
            return nullptr;
        }
        while (reader->next()) {
            if (!reader->isStart())
                continue;
            if (reader->name() == QLatin1String("workbookPr")) {
                const QString v = reader->attribute(QStringLiteral("date1904"));
                date1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (reader->name() == QLatin1String("sheet")) {
                const QString part = targets.value(reader->attribute(QStringLiteral("id")));
                // Chart sheets and dialog sheets have no cells to read.
                if (part.isEmpty())
                    continue;
                names.append(reader->attribute(QStringLiteral("name")));
                parts.append(part);
            }
        }
        *failure = reader->failure();
        if (!failure->isEmpty())
            return nullptr;
    }

    auto strings = std::make_shared<QStringList>();
    QVector<XlsxNumberFormats::Kind> kinds;
    if (!sharedStringsPart.isEmpty())
        *failure = readSharedStrings(package, sharedStringsPart, strings.get());
    if (failure->isEmpty() && !stylesPart.isEmpty())
        *failure = readStyles(package, stylesPart, &kinds);
    if (!failure->isEmpty())
        return nullptr;

    auto contents = std::make_shared<XlsxWorkbook::Contents>();
    qint64 cellsLeft = limits.cells;
    XlsxSheetParser parser;
    parser.sharedStrings = strings;
    parser.styleKinds = &kinds;
    parser.date1904 = date1904;
    parser.cellsLeft = &cellsLeft;
    for (int i = 0; i < names.size(); ++i) {
        auto reader = package.openPart(parts[i]);
        if (!reader) {
            *failure = QStringLiteral("工作表“%1”的部件 %2 不存在").arg(names[i], parts[i]);
            return nullptr;
        }
        XlsxSheet sheet;
        sheet.name = names[i];
        *failure = parser.parse(*reader, sheet);
        if (!failure->isEmpty())
            return nullptr;
        contents->sheets.push_back(std::move(sheet));
    }
    return contents;
}

} // namespace

QString XlsxWorkbook::open(const QString& path, const XlsxLimits& limits)
{
    m_contents.reset();
    const QFileInfo info(path);
    const QString key = info.absoluteFilePath();
    {
        QMutexLocker lock(&cacheMutex);
        auto it = cache.find(key);
        if (it != cache.end() && it->size == info.size() && it->modified == info.lastModified()) {
            m_contents = it->contents;
            return QString();
        }
    }
    QString failure;
    auto contents = load(path, limits, &failure);
    if (!contents)
        return failure;
    m_contents = contents;
    QMutexLocker lock(&cacheMutex);
    cache.insert(key, CacheEntry{info.size(), info.lastModified(), contents});
    cacheOrder.removeAll(key);
    cacheOrder.append(key);
    while (cacheOrder.size() > cacheCapacity)
        cache.remove(cacheOrder.takeFirst());
    return QString();
}

QStringList XlsxWorkbook::sheetNames() const
{
    QStringList names;
    if (m_contents) {
        for (const XlsxSheet& s : m_contents->sheets)
            names.append(s.name);
    }
    return names;
}

const XlsxSheet* XlsxWorkbook::sheet(const QString& name) const
{
    if (m_contents) {
        for (const XlsxSheet& s : m_contents->sheets) {
            if (s.name == name)
                return &s;
        }
    }
    return nullptr;
}
