#include "PageTrash.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace PageTrash {
namespace {

// A trash keeps its files in <trash>/files/; <trash> is "Trash" in the data
// folder or ".Trash-<uid>" (".Trash/<uid>") at the top of a volume.
bool isInTrash(const QString& trashed)
{
    const QStringList parts = QDir::cleanPath(QFileInfo(trashed).absoluteFilePath())
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i + 2 < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (part == QLatin1String("Trash") || part.startsWith(QLatin1String(".Trash")))
            return true;
    }
    return false;
}

} // namespace

bool restore(const QString& trashed, const QString& original)
{
    if (!QFileInfo::exists(trashed) || QFileInfo::exists(original))
        return false;
    // A deleted folder may have gone meanwhile; the page goes back into it.
    QDir().mkpath(QFileInfo(original).absolutePath());
    // QFile::rename refuses an existing target, so a page that took the name
    // since the check is kept as well.
    if (!QFile::rename(trashed, original)) {
        qWarning() << "trash: cannot put back" << trashed << "to" << original;
        return false;
    }
    // Its record lies in the "info" folder beside the "files" folder it went to.
    const QFileInfo moved(trashed);
    const QString info =
        QStringLiteral("%1/../info/%2.trashinfo").arg(moved.absolutePath(), moved.fileName());
    QFile::remove(QDir::cleanPath(info));
    return true;
}

bool moveToTrash(const QString& path, QString* trashedAs)
{
    // Qt 5.15 "succeeds" into ./files/ of the working folder when the user's
    // data folder is missing; with it in place the real trash is used.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    // Where no data folder can be made it still does: the folders it makes
    // there go again, those that were there stay.
    const QStringList strays = {QDir::current().filePath(QStringLiteral("files")),
                                QDir::current().filePath(QStringLiteral("info"))};
    QStringList made;
    for (const QString& stray : strays) {
        if (!QFileInfo::exists(stray))
            made << stray;
    }
    QString trashed;
    if (!QFile::moveToTrash(path, &trashed))
        return false;
    if (!isInTrash(trashed)) {
        qWarning() << "trash: refused" << trashed << "for" << path;
        restore(trashed, path);
        for (const QString& stray : made)
            QDir().rmdir(stray); // only when empty
        return false;
    }
    if (trashedAs)
        *trashedAs = trashed;
    return true;
}

Result remove(const QStringList& paths, const AskPermanent& askPermanent)
{
    Result result;
    int permanent = -1; // not asked yet
    for (const QString& path : paths) {
        QString trashed;
        if (moveToTrash(path, &trashed)) {
            result.removed << path;
            result.trashedAs.insert(path, trashed);
            continue;
        }
        if (permanent < 0)
            permanent = askPermanent && askPermanent() ? 1 : 0;
        if (permanent == 1 && QFile::remove(path))
            result.removed << path;
        else
            result.failed << path;
    }
    return result;
}

} // namespace PageTrash
