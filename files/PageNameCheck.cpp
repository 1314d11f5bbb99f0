#include "PageNameCheck.h"

#include "FileTableModel.h"

#include <QDir>
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

QString canonicalSuffix(const QString& name)
{
    const QString suffix = PageNameCheck::suffixOf(name);
    if (suffix == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (suffix == QLatin1String("tiff"))
        return QStringLiteral("tif");
    return suffix;
}

bool inside(const QString& root, const QString& path)
{
    const QString base = QDir::cleanPath(QDir(root).absolutePath());
    const QString target = QDir::cleanPath(QDir(root).absoluteFilePath(path));
    const QString prefix = base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/');
    return target.startsWith(prefix) && target.size() > prefix.size();
}

} // namespace

QString PageNameCheck::componentProblem(const QString& value)
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

QString PageNameCheck::problem(const QString& name, Kind kind, const QString& dir,
                               const QString& dataRoot)
{
    const QString basic = componentProblem(name);
    if (!basic.isEmpty())
        return basic;
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("以点开头");
    if (kind == File &&
        !FileTableModel::imageNameFilters().contains(QStringLiteral("*.") + suffixOf(name)))
        return QStringLiteral("不是图像文件的扩展名");
    if (!dataRoot.isEmpty() && !inside(dataRoot, QDir(dir).absoluteFilePath(name)))
        return QStringLiteral("不在数据目录内");
    return QString();
}

QString PageNameCheck::suffixOf(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

bool PageNameCheck::sameFormat(const QString& nameA, const QString& nameB)
{
    return canonicalSuffix(nameA) == canonicalSuffix(nameB);
}
