#include "ItemListOptions.h"

bool ItemListOptions::open(const QCommandLineParser& parser, ItemWorkbook& book, QString* why) const
{
    const QString path = parser.value(list);
    const QString reason = book.load(path);
    if (!reason.isEmpty()) {
        *why = QStringLiteral("条目excel载入失败：%1 %2").arg(path, reason);
        return false;
    }
    const QString name = parser.isSet(sheet) ? parser.value(sheet) : book.sheetNames().value(0);
    if (!book.selectSheet(name)) {
        *why = QStringLiteral("条目excel中没有sheet页：%1").arg(name);
        return false;
    }
    return true;
}
