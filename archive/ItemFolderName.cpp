#include "ItemFolderName.h"

#include <QDir>
#include <QStringList>

namespace {

// The most bytes most file systems allow in one name.
constexpr int kMaxNameBytes = 255;

bool reservedOnWindows(const QString& value)
{
    // Windows resolves these to devices whatever extension follows them.
    const QString stem = value.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList devices = {"CON", "PRN", "AUX", "NUL"};
    if (devices.contains(stem))
        return true;
    return stem.size() == 4 && (stem.startsWith("COM") || stem.startsWith("LPT")) &&
           stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9');
}

} // namespace

QString ItemFolderName::problem(const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("为空");
    if (value == QLatin1String(".") || value == QLatin1String(".."))
        return QStringLiteral("不能是“%1”").arg(value);
    for (const QChar c : value) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("含有路径分隔符“%1”").arg(c);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("含有控制字符");
        if (QStringLiteral("<>:\"|?*").contains(c))
            return QStringLiteral("含有Windows不允许的字符“%1”").arg(c);
    }
    const QChar last = value.at(value.size() - 1);
    if (last == QLatin1Char('.') || last.isSpace())
        return QStringLiteral("以点或空格结尾");
    if (reservedOnWindows(value))
        return QStringLiteral("是Windows的保留名");
    if (value.toUtf8().size() > kMaxNameBytes)
        return QStringLiteral("超过%1字节").arg(kMaxNameBytes);
    return QString();
}

bool ItemFolderName::staysInside(const QString& folder, const QString& path)
{
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const QString target = QDir::cleanPath(QDir(folder).absoluteFilePath(path));
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return target.startsWith(prefix) && target.size() > prefix.size();
}
