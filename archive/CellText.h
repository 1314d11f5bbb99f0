#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

// Workbook cell values as the operator sees them. Qt's own variant conversion
// is not usable here: it prints 2023000000 as "2.023e+09", rounds 4.5 when
// asked for an int and reports success for values an int cannot hold.

// A whole-valued number as plain integer digits ("2023000000", "4"), any other
// number as its shortest text that reads back to the same value ("4.5", "0.1"),
// text unchanged, a date as "yyyy-MM-dd" (a date-time adds " hh:mm:ss"),
// booleans as "TRUE"/"FALSE" like the spreadsheet shows them, no value as "".
QString cellText(const QVariant& value);

// True and *out set when the value is a whole number that fits in 64 bits: an
// integral number, or text of digits (full-width digits too) with an optional
// sign and an optional all-zero fraction ("12.0"). Everything else ("12.5",
// "", "abc", "1e3", "1,000", booleans, dates, too large) is refused and *out
// is left alone.
bool cellInteger(const QVariant& value, qint64* out);
