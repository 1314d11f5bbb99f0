#pragma once

#include <QString>

// Renames one page file to a name the operator typed. The same format (jpg and
// jpeg, tif and tiff, or only letters changing case) is a rename: the bytes stay
// as they are. Another suffix means another format: the page is converted into
// a hidden file beside it, checked, and only then takes the new name and the old
// file goes. An existing file is never replaced; whatever fails, the old file is
// as it was and no temporary file stays.
class PageRename
{
public:
    struct Result
    {
        bool ok = true;
        bool converted = false;
        QString newPath; // full path of the page afterwards
        QString error;   // for the operator when not ok
    };

    // dataRoot: the data directory the new name must stay inside ("" = no limit).
    static Result rename(const QString& dir, const QString& oldName, const QString& newName,
                         const QString& dataRoot = QString());

    // Converts source into target (which must not exist yet) through a hidden
    // temporary file; the picture must decode without a fault and keep its size.
    static bool convert(const QString& source, const QString& target, QString* error);
};
