#pragma once

#include <QStringList>

// The page images of one case-file folder as the splitting tool takes them:
// plain files (no symbolic links) whose suffix is an image format Qt can read,
// sorted by name without regard to case.
class CaseFolderImages
{
public:
    // File names, not paths; an empty list for a folder that cannot be read.
    static QStringList list(const QString& folder);
    // "*.jpg", "*.png", ... for every readable image format.
    static const QStringList& patterns();
};
