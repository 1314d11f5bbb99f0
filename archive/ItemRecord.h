#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// One row of an item list: the value of every header position (each column its
// own, so duplicate header texts keep both values), the sheet row it came from
// and its archive number. The row is kept apart from the fields, so a column
// headed "rowNo" is an ordinary field and cannot change it.
class ItemRecord
{
public:
    ItemRecord() = default;
    // values[i] belongs to headers[i]; an absent cell is the empty text.
    ItemRecord(int row, const QStringList& headers, const QVector<QVariant>& values);

    int row() const { return m_row; }
    QString archiveNo() const { return m_archiveNo; }
    void setArchiveNo(const QString& archiveNo) { m_archiveNo = archiveNo; }

    const QStringList& headers() const { return m_headers; }
    const QVector<QVariant>& values() const { return m_values; }
    QVariant valueAt(int position) const { return m_values.value(position); }
    // By header text: the later column when the text heads two; no value when
    // it heads none.
    QVariant value(const QString& header) const;
    // The value as the operator sees it.
    QString text(const QString& header) const;

    // Replaces the value under the header (the later column when the text heads
    // two); a header the record lacks is added after the others.
    void setText(const QString& header, const QString& text);

    // "rowNo=7, 档号=A-1, 页数=3": for the log.
    QString describe() const;

private:
    int m_row = 0;
    QString m_archiveNo;
    QStringList m_headers;
    QVector<QVariant> m_values;
};
