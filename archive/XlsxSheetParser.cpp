#include "XlsxSheetParser.h"

#include <QRegularExpression>

namespace {

const int maxRow = 1048576;
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
    int i = 0;
    qint64 col = 0;
    qint64 r = 0;
    while (i < ref.size() && ref.at(i) == QLatin1Char('$'))
        ++i;
    const int lettersFrom = i;
    for (; i < ref.size() && ref.at(i).isLetter() && ref.at(i).unicode() < 128; ++i) {
        col = col * 26 + (ref.at(i).toUpper().unicode() - 'A' + 1);
        if (col > maxColumn)
            return false;
    }
    if (i == lettersFrom)
        return false;
    if (i < ref.size() && ref.at(i) == QLatin1Char('$'))
        ++i;
    const int digitsFrom = i;
    for (; i < ref.size() && ref.at(i) >= QLatin1Char('0') && ref.at(i) <= QLatin1Char('9'); ++i) {
        r = r * 10 + (ref.at(i).unicode() - '0');
        if (r > maxRow)
            return false;
    }
    if (i == digitsFrom || i != ref.size() || r < 1)
        return false;
    *row = int(r);
    *column = int(col);
    return true;
}

QVariant XlsxSheetParser::cellValue(const QString& type, int style, const QString& v, bool hasV,
                                    const QString& inlineText) const
{
    if (type == QLatin1String("inlineStr"))
        return inlineText.isEmpty() ? QVariant() : QVariant(inlineText);
    if (!hasV)
        return QVariant(); // a styled but empty cell
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int index = v.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= sharedStrings->size() ||
            sharedStrings->at(index).isEmpty())
            return QVariant();
        return sharedStrings->at(index);
    }
    if (type == QLatin1String("str") || type == QLatin1String("e")) {
        const QString text = decodeEscapes(v);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    if (type == QLatin1String("b"))
        return QVariant(v.trimmed() == QLatin1String("1") || v.trimmed() == QLatin1String("true"));
    if (type == QLatin1String("d")) {
        // ISO 8601 date and time, as Strict files may store them.
        const QString iso = v.trimmed();
        const int t = iso.indexOf(QLatin1Char('T'));
        if (t < 0)
            return iso;
        const QString time = iso.mid(t + 1).left(8);
        if (time == QLatin1String("00:00:00") || time == QLatin1String("00:00"))
            return iso.left(t);
        return iso.left(t) + QLatin1Char(' ') + time;
    }
    bool ok = false;
    const double number = v.trimmed().toDouble(&ok); // QString::toDouble is locale independent
    if (!ok)
        return v.isEmpty() ? QVariant() : QVariant(v);
    const auto kind = style >= 0 && style < styleKinds->size() ? styleKinds->at(style)
                                                               : XlsxNumberFormats::Number;
    if (kind != XlsxNumberFormats::Number) {
        const QString text = XlsxNumberFormats::serialText(number, kind, date1904);
        if (!text.isEmpty())
            return text;
    }
    return number;
}

QString XlsxSheetParser::parse(XlsxPartReader& reader, XlsxSheet& sheet)
{
    int row = 0;
    int column = 0;
    while (reader.next()) {
        if (!reader.isStart())
            continue;
        const QLatin1String name = reader.name();
        if (name == QLatin1String("row")) {
            int r = reader.attribute(QStringLiteral("r")).toInt();
            row = (r >= 1 && r <= maxRow) ? r : row + 1;
            column = 0;
        } else if (name == QLatin1String("c")) {
            int r = 0;
            int c = 0;
            if (parseReference(reader.attribute(QStringLiteral("r")), &r, &c)) {
                row = r;
                column = c;
            } else {
                row = qMax(row, 1);
                ++column;
            }
            if (row > maxRow || column > maxColumn)
                return QStringLiteral("工作表 %1 的单元格超出表格范围").arg(sheet.name);
            const QString type = reader.attribute(QStringLiteral("t"));
            const int style = reader.attribute(QStringLiteral("s")).toInt();
            QString v;
            QString inlineText;
            bool hasV = false;
            while (reader.next()) {
                if (reader.isEnd() && reader.name() == QLatin1String("c"))
                    break;
                if (!reader.isStart())
                    continue;
                if (reader.name() == QLatin1String("v")) {
                    v = reader.elementText();
                    hasV = true;
                } else if (reader.name() == QLatin1String("is")) {
                    inlineText = richText(reader);
                } else {
                    reader.skip();
                }
            }
            const QVariant value = cellValue(type, style, v, hasV, inlineText);
            if (value.isValid()) {
                if (--*cellsLeft < 0)
                    return QStringLiteral("单元格数量超过上限，拒绝读取");
                sheet.addCell(row, column, value);
            }
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
