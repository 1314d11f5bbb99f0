#include "ItemFolderName.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

// The most bytes most file systems allow in one name.
constexpr int kMaxNameBytes = 255;

bool reservedOnWindows(const QString& value)
{
    // Windows resolves these to devices whatever extension follows them.
    const int dot = value.indexOf(QLatin1Char('.'));
    if ((dot < 0 ? value.size() : dot) > 8) // no device name, however padded
        return false;
    const QString stem = value.left(dot).trimmed().toUpper();
    static const QStringList devices = {"CON", "PRN", "AUX", "NUL"};
    if (devices.contains(stem))
        return true;
    return stem.size() == 4 && (stem.startsWith("COM") || stem.startsWith("LPT")) &&
           stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9');
}

// "a/b" but not "", "/a", "a//b", "./a" or "a/..".
bool plainRelative(const QString& path)
{
    int partStart = 0;
    for (int i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path.at(i) != QLatin1Char('/'))
            continue;
        const QStringRef part = path.midRef(partStart, i - partStart);
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
        partStart = i + 1;
    }
    return true;
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
        if (QLatin1String("<>:\"|?*").contains(c))
            return QStringLiteral("含有Windows不允许的字符“%1”").arg(c);
    }
    const QChar last = value.at(value.size() - 1);
    if (last == QLatin1Char('.') || last.isSpace())
        return QStringLiteral("以点或空格结尾");
    if (reservedOnWindows(value))
        return QStringLiteral("是Windows的保留名");
    // A UTF-16 unit takes at most three UTF-8 bytes: most names need no count.
    if (value.size() * 3 > kMaxNameBytes && value.toUtf8().size() > kMaxNameBytes)
        return QStringLiteral("超过%1字节").arg(kMaxNameBytes);
    return QString();
}

bool ItemFolderName::staysInside(const QString& folder, const QString& path)
{
    // A relative path of plain names is inside by construction; only others need resolving.
    if (plainRelative(path))
        return true;
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const QString target = QDir::cleanPath(QDir(folder).absoluteFilePath(path));
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return target.startsWith(prefix) && target.size() > prefix.size();
}

bool ItemFolderName::resolvesInside(const QString& folder, const QString& path)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    QString existing = QDir::cleanPath(QDir(folder).absoluteFilePath(path));
    while (!QFileInfo::exists(existing) && existing.contains(QLatin1Char('/')))
        existing = existing.left(existing.lastIndexOf(QLatin1Char('/')));
    const QString resolved = QFileInfo(existing).canonicalFilePath();
    return !root.isEmpty() && (resolved == root || resolved.startsWith(root + QLatin1Char('/')));
}
