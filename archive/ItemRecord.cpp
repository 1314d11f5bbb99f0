#include "ItemRecord.h"

#include "CellText.h"

ItemRecord::ItemRecord(int row, const QStringList& headers, const QVector<QVariant>& values)
    : m_row(row), m_headers(headers), m_values(values)
{
}

QVariant ItemRecord::value(const QString& header) const
{
    return m_values.value(m_headers.lastIndexOf(header));
}

QString ItemRecord::text(const QString& header) const
{
    return cellText(value(header));
}

void ItemRecord::setText(const QString& header, const QString& text)
{
    const int position = m_headers.lastIndexOf(header);
    if (position < 0) {
        m_headers << header;
        m_values.resize(m_headers.size());
        m_values.last() = text;
        return;
    }
    if (position >= m_values.size())
        m_values.resize(position + 1);
    m_values[position] = text;
}

QString ItemRecord::describe() const
{
    QStringList parts{QStringLiteral("rowNo=%1").arg(m_row)};
    for (int i = 0; i < m_headers.size(); ++i)
        parts << m_headers[i] + QLatin1Char('=') + cellText(m_values.value(i));
    return parts.join(QStringLiteral(", "));
}
