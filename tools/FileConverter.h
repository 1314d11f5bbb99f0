#pragma once

#include <QString>

// Turns one page file into JPG or TIF beside it without losing anything: the
// output is written under a temporary name, takes its own name only while no
// other file has it, is read back, and only then is the source deleted. A file
// already in the target format is renamed, its bytes unchanged.
class FileConverter
{
public:
    enum class Target
    {
        Jpg,
        Tif,
    };
    enum class Outcome
    {
        Done,
        Skipped, // an output name taken by another file, a multi-page file to JPG
        Failed,  // unreadable, damaged, read-only, or the output could not be made
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString reason;
    };

    // The name with everything from its last '.' replaced by ".jpg" / ".tif"
    // (a name without '.' gets the suffix appended).
    static QString destinationName(const QString& name, Target target);
    // ".jpg"/".jpeg" or ".tif"/".tiff" in any letter case.
    static bool hasTargetSuffix(const QString& name, Target target);
    // Whether a and b are the same file (device and inode), as on a volume that ignores case.
    static bool sameFile(const QString& a, const QString& b);

    // tiffLzw: grey and colour TIF pages LZW-coded; uncompressed otherwise, as
    // the image library writes them by default (bilevel pages are Group 4).
    static Result convert(const QString& source, const QString& destination, Target target,
                          bool tiffLzw = false);
};
