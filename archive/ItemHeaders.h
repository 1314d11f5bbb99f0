#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class XlsxSheet;

// The header row of an item list: the first row of the sheet's used range.
// Texts are kept per position, each with its own column, so two columns with
// the same header text stay two columns; a lookup by text gives the later one.
class ItemHeaders
{
public:
    enum Mode
    {
        // A freshly imported workbook: absent or empty header cells are left out.
        SkipEmpty,
        // Another sheet chosen afterwards: every used column, an absent cell as "".
        EveryColumn,
    };

    static ItemHeaders read(const XlsxSheet& sheet, Mode mode);

    // In column order (headerNames).
    const QStringList& names() const { return m_names; }
    // The 1-based column of each entry of names().
    const QVector<int>& columns() const { return m_columns; }
    // Header text to column, the later column winning (headerColumns).
    const QHash<QString, int>& byText() const { return m_byText; }
    // 0 when the text is not a header.
    int column(const QString& text) const { return m_byText.value(text, 0); }
    int size() const { return m_names.size(); }
    bool isEmpty() const { return m_names.isEmpty(); }

    void append(const QString& text, int column);

private:
    QStringList m_names;
    QVector<int> m_columns;
    QHash<QString, int> m_byText;
};
