#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

// Page files whose content is their own first name, so a test can tell where
// each page ended up.
namespace SplitTestFolder {

inline QString write(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(name.toUtf8());
    return path;
}

// img001.jpg ... imgNNN.jpg; the full paths in order.
inline QStringList pages(const QString& folder, int count, const QString& stem = "img")
{
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << write(folder,
                       QStringLiteral("%1%2.jpg").arg(stem).arg(i, 3, 10, QLatin1Char('0')));
    return paths;
}

inline QString content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every file below folder as "relative path=content", sorted.
inline QStringList tree(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << QDir(folder).relativeFilePath(path) + QLatin1Char('=') + content(path);
    }
    entries.sort();
    return entries;
}

inline QStringList folders(const QString& folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace SplitTestFolder
