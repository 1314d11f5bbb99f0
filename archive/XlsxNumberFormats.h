#pragma once

#include <QString>

// Which number formats show a cell as a date, and the text such a cell reads as.
namespace XlsxNumberFormats {

enum Kind
{
    Number,
    Date,
    DateTime
};

// The kind of a format: built-in ids by their number, others by their code
// (date letters outside quoted text, [..] sections and escaped characters).
Kind kindOf(int numFmtId, const QString& formatCode);

// "yyyy-MM-dd" (Date) or "yyyy-MM-dd hh:mm:ss" (DateTime) for a serial day
// number; "" when the serial lies outside the calendar.
QString serialText(double serial, Kind kind, bool date1904);

} // namespace XlsxNumberFormats
