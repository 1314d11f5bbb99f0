#pragma once

#include <QString>

// Every name the operator types for a page or a folder passes here before
// anything on disk moves. Archives end up on Windows shares and exFAT disks, so
// a name Linux accepts can still be unreadable there; a name that climbs out
// of the folder or hides the page would lose it from the archive.
class PageNameCheck
{
public:
    enum Kind
    {
        File,
        Folder
    };

    // "" when value may be one name in a folder on any of those systems, else why not:
    // separators, control characters, characters Windows refuses, a trailing dot or
    // space, device names and more than 255 bytes in UTF-8.
    static QString componentProblem(const QString& value);

    // componentProblem plus: no leading dot (hidden pages vanish from the list), a
    // file name must end in an image suffix the file list shows, and dir + name must
    // lie inside dataRoot (skipped when dataRoot is empty).
    static QString problem(const QString& name, Kind kind, const QString& dir = QString(),
                           const QString& dataRoot = QString());

    // Lower-case suffix after the last dot; "" when none.
    static QString suffixOf(const QString& name);
    // Same picture format: jpg = jpeg, tif = tiff, case ignored.
    static bool sameFormat(const QString& nameA, const QString& nameB);
};
