#include "XlsxNumberFormats.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace XlsxNumberFormats {

namespace {

Kind builtInKind(int id)
{
    // 14-17 and the East Asian 27-31, 36, 50-54, 57-58 are dates; 18-22, 32-35,
    // 45-47 and 55-56 show a time of day (22 with the date).
    if ((id >= 18 && id <= 22) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47) || id == 55 ||
        id == 56)
        return DateTime;
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) ||
        id == 57 || id == 58)
        return Date;
    return Number;
}

} // namespace

Kind kindOf(int numFmtId, const QString& formatCode)
{
    if (formatCode.isEmpty())
        return builtInKind(numFmtId);
    bool date = false;
    bool time = false;
    const QString code = formatCode.toLower();
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"')) {
            const int close = code.indexOf(QLatin1Char('"'), i + 1);
            i = close < 0 ? code.size() : close;
        } else if (c == QLatin1Char('[')) {
            const int close = code.indexOf(QLatin1Char(']'), i + 1);
            // Elapsed time ([h], [mm], [ss]) is still a time; colours and locales are not.
            const QString inner = code.mid(i + 1, close - i - 1);
            if (!inner.isEmpty() && (inner.count(inner.at(0)) == inner.size()) &&
                (inner.at(0) == QLatin1Char('h') || inner.at(0) == QLatin1Char('m') ||
                 inner.at(0) == QLatin1Char('s')))
                time = true;
            i = close < 0 ? code.size() : close;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // the next character is literal, padding or fill
        } else if (c == QLatin1Char(';')) {
            break; // the first section decides
        } else if (c == QLatin1Char('y') || c == QLatin1Char('d') || c == QLatin1Char('m')) {
            date = true;
        } else if (c == QLatin1Char('h') || c == QLatin1Char('s')) {
            time = true;
        }
    }
    if (code == QLatin1String("general"))
        return Number;
    if (time)
        return DateTime;
    return date ? Date : Number;
}

QString serialText(double serial, Kind kind, bool date1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466)
        return QString();
    qint64 seconds = std::llround(serial * 86400.0);
    qint64 days = seconds / 86400;
    seconds %= 86400;
    QDate base;
    if (date1904)
        base = QDate(1904, 1, 1);
    else if (days < 61)
        base = QDate(1899, 12, 31); // day 60 is the 29th of February 1900 that never was
    else
        base = QDate(1899, 12, 30);
    const QDate date = base.addDays(days);
    if (kind == Date)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime(0, 0).addSecs(int(seconds));
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') +
           time.toString(QStringLiteral("hh:mm:ss"));
}

} // namespace XlsxNumberFormats
