#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Merges page files into one multi-page TIFF or PDF, a page at a time, so any
// number of pages runs in about the memory of one. Every frame of a
// multi-page source becomes a page. The file is written beside the
// destination under a temporary name, read back (page count) and only then
// renamed into place.
namespace PageMerge {

enum class Format
{
    Tiff,
    Pdf,
};

struct Options
{
    Format format = Format::Pdf;
    bool pdfa = false; // PDF/A-2b
    // Without it an unreadable or damaged source is left out (and named in the result).
    bool everyPageOrNothing = true;
    // Without it an existing destination is never replaced.
    bool replaceExisting = false;
};

struct Result
{
    bool ok = false;
    int pages = 0;
    QStringList leftOut; // sources not merged, "path: reason"
    QString error;
};

// Format from the destination's suffix: ".pdf" gives PDF, anything else TIFF.
Format formatFor(const QString& destination);

Result merge(const QStringList& sources, const QString& destination, const Options& options);

// Pages of a PDF written here or a TIFF; -1 when it cannot be read.
int countPages(const QString& path, Format format);

} // namespace PageMerge
