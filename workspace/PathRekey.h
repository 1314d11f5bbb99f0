#pragma once

#include <QDir>
#include <QHash>
#include <QString>
#include <QStringList>

// Moves the entries of a path-keyed map to the new names of files renamed on
// disk. All at once, so a rotation (a→b, b→c, c→a) moves every entry to its new
// name without one overwriting another.
template <typename Map>
void rekeyPaths(Map& map, const QHash<QString, QString>& oldToNew)
{
    Map moved;
    for (auto it = map.begin(); it != map.end();) {
        const auto target = oldToNew.constFind(it.key());
        if (target == oldToNew.constEnd()) {
            ++it;
            continue;
        }
        moved.insert(target.value(), it.value());
        it = map.erase(it);
    }
    for (auto it = moved.begin(); it != moved.end(); ++it)
        map.insert(it.key(), it.value());
}

// The files among paths that lie under a folder renamed on disk (old folder
// path -> new), each mapped to its path under the new name.
inline QHash<QString, QString> filesUnderRenamedFolders(const QStringList& paths,
                                                        const QHash<QString, QString>& folders)
{
    QHash<QString, QString> files;
    for (auto folder = folders.constBegin(); folder != folders.constEnd(); ++folder) {
        const QString prefix = QDir::cleanPath(folder.key()) + QLatin1Char('/');
        for (const QString& path : paths) {
            if (path.startsWith(prefix))
                files.insert(path, QDir::cleanPath(folder.value()) + path.mid(prefix.size() - 1));
        }
    }
    return files;
}

// The paths that lie under folder.
inline QStringList pathsUnder(const QStringList& paths, const QString& folder)
{
    const QString prefix = QDir::cleanPath(folder) + QLatin1Char('/');
    QStringList under;
    for (const QString& path : paths) {
        if (path.startsWith(prefix))
            under.append(path);
    }
    return under;
}
