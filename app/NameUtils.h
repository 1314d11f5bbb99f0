#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Small helpers on names, running codes, sequence texts and folders.

// Maximal runs of digits and of non-digits, in order ("A01-0003.jpg" ->
// A, 01, -, 0003, .jpg). Digits are Unicode decimal digits.
QStringList splitTokens(const QString& text);

// True for one or more digits and nothing else.
bool isAllDigits(const QString& text);

// The last all-digit token of a name ("" when there is none).
QString runningNumber(const QString& name);

// The decimal number, left-padded with "0" to length when zeroFill is on;
// never truncated.
QString codeText(int number, int length, bool zeroFill);

// "1,2-5,10" -> zero-based rows 0, 1, 2, 3, 4, 9 in input order (duplicates
// kept, reversed ranges dropped).
QList<int> parseSequence(const QString& text);

// length characters from [0-9a-zA-Z]; "" for length < 1.
QString randomString(int length);

// The exact match, else the first entry holding text as a subsequence, else
// the first entry ("" for an empty list).
QString bestMatch(const QString& text, const QStringList& list);

// Removes every visible entry inside the folder; the folder itself stays.
void clearDir(const QString& path);
