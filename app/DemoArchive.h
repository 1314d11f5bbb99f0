#pragma once

#include <QString>

// A small archive of generated "scanned" pages, so that a first start has
// something to browse and correct: a few volume folders of A4 pages at
// 300 dpi, JPEG and TIFF, with text-like lines, some pages slightly skewed and
// one carrying a red seal. Nothing in it comes from a real archive.
class DemoArchive
{
public:
    // Writes the archive into dir (created when missing). Pages that already
    // exist are left untouched. False when a folder or a page could not be written.
    static bool create(const QString& dir);

    // The data root: "settings/rootpath" when it names an existing folder.
    // A stored root is kept even while missing (an offline share). Otherwise
    // (first start, or the demo archive itself is gone) the demo archive in
    // AppPaths::dataDir() + "/demo-archive" is created and stored as the root.
    // Empty when no root could be stored or created.
    static QString ensureRootPath();
};
