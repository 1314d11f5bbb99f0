#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

// The one way pages leave a folder: into the desktop trash, so a mistaken
// delete can be undone. Where there is no trash (a share, a read-only volume)
// the operator is asked once whether to delete for good.
namespace PageTrash {

// True when the pages may be deleted for good; asked at most once per call.
using AskPermanent = std::function<bool()>;

struct Result
{
    QStringList removed; // gone from their folder
    QStringList failed;  // still there
    // Original path -> its path in the trash, for the pages a restore can bring back.
    QHash<QString, QString> trashedAs;
};

Result remove(const QStringList& paths, const AskPermanent& askPermanent);

// Moves one file into the trash; false (the file in place) when it cannot.
bool moveToTrash(const QString& path, QString* trashedAs = nullptr);

// Brings a trashed page back under its old name and drops its trash record.
// Never replaces: false, with nothing moved, when the name is taken meanwhile
// or the page is no longer in the trash.
bool restore(const QString& trashed, const QString& original);

} // namespace PageTrash
