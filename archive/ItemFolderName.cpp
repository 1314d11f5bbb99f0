#include "ItemFolderName.h"

#include "PageNameCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

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
    return PageNameCheck::componentProblem(value);
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
