#include "PageNumberText.h"

#include "CellText.h"

#include <QStringList>
#include <QVariant>

namespace {

QStringList parts(const QString& text)
{
    return text.split(QLatin1Char('-'), Qt::SkipEmptyParts);
}

} // namespace

bool PageNumberText::number(const QString& text, qint64* value)
{
    return cellInteger(QVariant(text), value);
}

int PageNumberText::partCount(const QString& text)
{
    return parts(text).size();
}

bool PageNumberText::range(const QString& text, qint64* start, qint64* end)
{
    const QStringList both = parts(text);
    return both.size() == 2 && number(both.at(0), start) && number(both.at(1), end);
}
