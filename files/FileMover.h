#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Moves a file's content along an ordered run of file names: the names stay in
// place as slots and the contents rotate, so the moved file takes the target's
// name and the files between shift by one slot. The moved file is parked under a
// temporary name first; no rename ever overwrites a file, and a failed step undoes
// the steps before it, so the folder is either fully rotated or as it was.
class FileMover
{
public:
    // Source of the eight-character tags of temporary names (random by default).
    using TagSource = std::function<QString()>;

    struct Result
    {
        bool ok = true;
        QString failedFrom; // the rename that failed, empty when ok
        QString failedTo;
    };

    explicit FileMover(TagSource tagSource = {});

    // paths: full paths in row order; from, to: rows. from == to does nothing.
    Result move(const QStringList& paths, int from, int to) const;

    // path with "-" and a tag inserted before its last "."; redrawn while the name
    // is taken. Empty when no free name was found.
    QString temporaryPath(const QString& path) const;

private:
    QString nextTag() const;

    TagSource m_tagSource;
};
