#include "XlsxSheetParser.h"

#include <QRegularExpression>
#include <charconv>

namespace {

const int maxRow = 1048576;

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// Digits with an optional sign and spaces around; `otherwise` for anything else.
int toInt(QLatin1String text, int otherwise)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && isSpace(*p))
        ++p;
    while (end > p && isSpace(end[-1]))
        --end;
    if (p < end && *p == '+')
        ++p;
    int value = 0;
    const auto parsed = std::from_chars(p, end, value);
    return p < end && parsed.ec == std::errc() && parsed.ptr == end ? value : otherwise;
}

XlsxSheetParser::CellType cellType(QLatin1String t)
{
    if (t.isEmpty() || t == QLatin1String("n"))
        return XlsxSheetParser::Number;
    if (t == QLatin1String("s"))
        return XlsxSheetParser::SharedString;
    if (t == QLatin1String("inlineStr"))
        return XlsxSheetParser::InlineString;
    if (t == QLatin1String("str"))
        return XlsxSheetParser::FormulaString;
    if (t == QLatin1String("e"))
        return XlsxSheetParser::Error;
    if (t == QLatin1String("b"))
        return XlsxSheetParser::Boolean;
    if (t == QLatin1String("d"))
        return XlsxSheetParser::IsoDate;
    return XlsxSheetParser::Number;
}
const int maxColumn = 16384;

bool parseRange(const QString& text, XlsxSheet::Range* range)
{
    const QStringList ends = text.split(QLatin1Char(':'));
    if (ends.size() != 2)
        return false;
    return XlsxSheetParser::parseReference(ends[0], &range->firstRow, &range->firstColumn) &&
           XlsxSheetParser::parseReference(ends[1], &range->lastRow, &range->lastColumn);
}

} // namespace

QString XlsxSheetParser::decodeEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    int from = 0;
    auto it = escape.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.midRef(from, m.capturedStart() - from);
        out += QChar(ushort(m.captured(1).toUInt(nullptr, 16)));
        from = m.capturedEnd();
    }
    out += text.midRef(from);
    return out;
}

QString XlsxSheetParser::richText(XlsxPartReader& reader)
{
    const QByteArray outer(reader.name().data(), reader.name().size());
    QString text;
    int phonetic = 0;
    while (reader.next()) {
        if (reader.isEnd()) {
            if (reader.name() == QLatin1String("rPh"))
                --phonetic;
            else if (reader.name() == QLatin1String(outer))
                break;
        } else if (reader.name() == QLatin1String("rPh")) {
            ++phonetic;
        } else if (reader.name() == QLatin1String("t") && phonetic == 0) {
            text += reader.elementText();
        }
    }
    return decodeEscapes(text);
}

bool XlsxSheetParser::parseReference(const QString& ref, int* row, int* column)
{
    for (const QChar ch : ref) {
        if (ch.unicode() >= 128)
            return false;
    }
    const QByteArray bytes = ref.toLatin1();
    return parseReference(QLatin1String(bytes), row, column);
}

bool XlsxSheetParser::parseReference(QLatin1String ref, int* row, int* column)
{
    const char* p = ref.data();
    const char* end = p + ref.size();
    qint64 col = 0;
    qint64 r = 0;
    while (p < end && *p == '$')
        ++p;
    const char* lettersFrom = p;
    for (; p < end && ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')); ++p) {
        col = col * 26 + ((*p & ~0x20) - 'A' + 1);
        if (col > maxColumn)
            return false;
    }
    if (p == lettersFrom)
        return false;
    if (p < end && *p == '$')
        ++p;
    const char* digitsFrom = p;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        r = r * 10 + (*p - '0');
        if (r > maxRow)
            return false;
    }
    if (p == digitsFrom || p != end || r < 1)
        return false;
    *row = int(r);
    *column = int(col);
    return true;
}

bool XlsxSheetParser::store(XlsxSheet& sheet, int row, int column, CellType type, int style,
                            const std::string& v, bool hasV, const QString& inlineText) const
{
    const auto text = [&sheet, row, column](const QString& value) {
        if (value.isEmpty())
            return false;
        sheet.addCell(row, column, value);
        return true;
    };
    if (type == InlineString)
        return text(inlineText);
    if (!hasV)
        return false; // a styled but empty cell
    const char* from = v.data();
    const char* to = from + v.size();
    while (from < to && isSpace(*from))
        ++from;
    while (to > from && isSpace(to[-1]))
        --to;
    const QLatin1String trimmed(from, int(to - from));
    switch (type) {
    case SharedString: {
        const int index = toInt(trimmed, -1);
        if (index < 0 || index >= sharedStrings->size() || sharedStrings->at(index).isEmpty())
            return false;
        sheet.addSharedString(row, column, index);
        return true;
    }
    case FormulaString:
    case Error:
        return text(decodeEscapes(QString::fromUtf8(v.data(), int(v.size()))));
    case Boolean:
        sheet.addCell(row, column,
                      QVariant(trimmed == QLatin1String("1") || trimmed == QLatin1String("true")));
        return true;
    case IsoDate: {
        // ISO 8601 date and time, as Strict files may store them.
        const QString iso = QString(trimmed);
        const int t = iso.indexOf(QLatin1Char('T'));
        if (t < 0)
            return text(iso);
        const QString time = iso.mid(t + 1).left(8);
        if (time == QLatin1String("00:00:00") || time == QLatin1String("00:00"))
            return text(iso.left(t));
        return text(iso.left(t) + QLatin1Char(' ') + time);
    }
    case InlineString:
    case Number:
        break;
    }
    // from_chars reads the C locale whatever the process locale is; it knows no '+'.
    double number = 0;
    const char* digits =
        from < to && *from == '+' && to - from > 1 && from[1] != '-' ? from + 1 : from;
    const auto parsed = std::from_chars(digits, to, number);
    if (from == to || parsed.ec != std::errc() || parsed.ptr != to)
        return text(QString::fromUtf8(v.data(), int(v.size())));
    const auto kind = style >= 0 && style < styleKinds->size() ? styleKinds->at(style)
                                                               : XlsxNumberFormats::Number;
    sheet.addNumber(row, column, number, kind);
    return true;
}

QString XlsxSheetParser::parse(XlsxPartReader& reader, XlsxSheet& sheet)
{
    sheet.setSharedStrings(sharedStrings);
    sheet.setDate1904(date1904);
    int row = 0;
    int column = 0;
    std::string v;
    while (reader.next()) {
        if (!reader.isStart())
            continue;
        const QLatin1String name = reader.name();
        if (name == QLatin1String("row")) {
            const int r = toInt(reader.attributeView(QLatin1String("r")), 0);
            row = (r >= 1 && r <= maxRow) ? r : row + 1;
            column = 0;
        } else if (name == QLatin1String("c")) {
            int r = 0;
            int c = 0;
            if (parseReference(reader.attributeView(QLatin1String("r")), &r, &c)) {
                row = r;
                column = c;
            } else {
                row = qMax(row, 1);
                ++column;
            }
            if (row > maxRow || column > maxColumn)
                return QStringLiteral("工作表 %1 的单元格超出表格范围").arg(sheet.name);
            const CellType type = cellType(reader.attributeView(QLatin1String("t")));
            const int style = toInt(reader.attributeView(QLatin1String("s")), 0);
            QString inlineText;
            bool hasV = false;
            v.clear();
            while (reader.next()) {
                if (reader.isEnd() && reader.name() == QLatin1String("c"))
                    break;
                if (!reader.isStart())
                    continue;
                if (reader.name() == QLatin1String("v")) {
                    const QLatin1String text = reader.elementTextView();
                    v.assign(text.data(), size_t(text.size()));
                    hasV = true;
                } else if (reader.name() == QLatin1String("is")) {
                    inlineText = richText(reader);
                } else {
                    reader.skip();
                }
            }
            if (store(sheet, row, column, type, style, v, hasV, inlineText) && --*cellsLeft < 0)
                return QStringLiteral("单元格数量超过上限，拒绝读取");
        } else if (name == QLatin1String("mergeCell")) {
            XlsxSheet::Range range;
            if (parseRange(reader.attribute(QStringLiteral("ref")), &range))
                sheet.addMerge(range);
        }
    }
    const QString failure = reader.failure();
    if (failure.isEmpty() && !sheet.finish(cellsLeft))
        return QStringLiteral("单元格数量超过上限，拒绝读取");
    return failure;
}
