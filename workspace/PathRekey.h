#pragma once

#include <QHash>
#include <QString>

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
