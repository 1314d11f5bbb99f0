#pragma once

#include <QString>
#include <QtGlobal>

// Page numbers of the item list: a whole number (the item's first page) or, for
// the last item of a run, a range "start-end".
class PageNumberText
{
public:
    // A whole number as the workbook shows it ("5", "5.0").
    static bool number(const QString& text, qint64* value);
    static bool isRange(const QString& text) { return text.contains(QLatin1Char('-')); }
    // The parts of a range with empty parts dropped ("15-20" -> 15, 20).
    static int partCount(const QString& text);
    // True when the text splits into exactly two whole numbers.
    static bool range(const QString& text, qint64* start, qint64* end);
};
