#pragma once

#include <QStringList>

// The names in one folder from a single read of it. QDir asks the file system
// about every entry, which costs a second per 50,000 pages; the folder read
// itself already says which entries are plain files.
class FolderEntries
{
public:
    // Every name but "." and "..", hidden ones and dangling links included, unsorted.
    static QStringList all(const QString& folder);
    // Plain files that are not hidden (no folders, no symbolic links), unsorted.
    static QStringList plainFiles(const QString& folder);
};
