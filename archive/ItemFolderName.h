#pragma once

#include <QString>

// Values from the item list (archive numbers, storage-rule fields) become folder
// names on disk. A value that names a parent, a path or a device would put pages
// outside the target folder or make the archive unreadable on Windows, where the
// finished folders usually end up.
class ItemFolderName
{
public:
    // "" when the value may be used as one folder name, else why not.
    static QString problem(const QString& value);
    // Whether path, once cleaned, lies strictly inside folder.
    static bool staysInside(const QString& folder, const QString& path);
    // Whether path stays inside folder once the symbolic links among its existing
    // parts are followed (a linked case-file folder could point anywhere).
    static bool resolvesInside(const QString& folder, const QString& path);
};
