#include "CellText.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <limits>

namespace {

// 2^63 as a double: the first whole double a qint64 cannot hold.
constexpr double kInt64Limit = 9223372036854775808.0;

bool wholeDoubleToInt(double v, qint64* out)
{
    if (!std::isfinite(v) || v != std::trunc(v) || v < -kInt64Limit || v >= kInt64Limit)
        return false;
    *out = static_cast<qint64>(v);
    return true;
}

QString numberText(double v)
{
    if (!std::isfinite(v))
        return QString::number(v);
    qint64 whole = 0;
    if (wholeDoubleToInt(v, &whole))
        return QString::number(whole);
    if (v == std::trunc(v)) // whole but beyond 64 bits: still plain digits
        return QString::number(v, 'f', 0);
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

bool isSign(QChar c, bool* negative)
{
    switch (c.unicode()) {
    case '-':
    case 0xFF0D: // full-width hyphen-minus
    case 0x2212: // minus sign
        *negative = true;
        return true;
    case '+':
    case 0xFF0B: // full-width plus
        *negative = false;
        return true;
    default:
        return false;
    }
}

bool isPoint(QChar c)
{
    return c == QLatin1Char('.') || c.unicode() == 0xFF0E;
}

// Digits are accumulated as a negative number so that the most negative
// qint64 is reachable; every step checks for overflow.
bool textToInteger(const QString& raw, qint64* out)
{
    const QString text = raw.trimmed();
    int i = 0;
    bool negative = false;
    if (!text.isEmpty() && isSign(text.at(0), &negative))
        ++i;
    qint64 acc = 0;
    int digits = 0;
    for (; i < text.size() && !isPoint(text.at(i)); ++i) {
        const int d = text.at(i).digitValue();
        if (d < 0 || !text.at(i).isDigit())
            return false;
        if (acc < (std::numeric_limits<qint64>::min() + d) / 10)
            return false;
        acc = acc * 10 - d;
        ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size()) {
        for (++i; i < text.size(); ++i) {
            if (text.at(i).digitValue() != 0)
                return false;
        }
    }
    if (!negative && acc == std::numeric_limits<qint64>::min())
        return false;
    *out = negative ? acc : -acc;
    return true;
}

} // namespace

QString cellText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double:
        return numberText(value.toDouble());
    case QMetaType::Float:
        return numberText(static_cast<double>(value.toFloat()));
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toULongLong());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    default:
        return value.toString();
    }
}

bool cellInteger(const QVariant& value, qint64* out)
{
    qint64 result = 0;
    bool ok = false;
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double:
        ok = wholeDoubleToInt(value.toDouble(), &result);
        break;
    case QMetaType::Float:
        ok = wholeDoubleToInt(static_cast<double>(value.toFloat()), &result);
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
        result = value.toLongLong();
        ok = true;
        break;
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        ok = u <= static_cast<qulonglong>(std::numeric_limits<qint64>::max());
        result = static_cast<qint64>(u);
        break;
    }
    case QMetaType::QString:
        ok = textToInteger(value.toString(), &result);
        break;
    default:
        break;
    }
    if (ok && out)
        *out = result;
    return ok;
}
