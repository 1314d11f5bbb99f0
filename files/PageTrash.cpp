#include "PageTrash.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

// The same volume, so a rename moves the file without copying it.
bool sameVolume(const QString& a, const QString& b)
{
#ifdef Q_OS_UNIX
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev;
#else
    Q_UNUSED(a)
    Q_UNUSED(b)
    return false;
#endif
}

// A page on the home volume goes into the user's trash as the freedesktop.org
// trash layout has it: its record first, made exclusively so the name is ours,
// then the page by a rename. Qt works the trash out anew for every file (about
// 0.7 ms each); this is a few calls. False, with nothing moved, where it does
// not apply (another volume, no data folder, not a plain file).
bool moveIntoHomeTrash(const QString& path, QString* trashed)
{
    const QFileInfo page(path);
    if (!page.isFile() || page.isSymLink())
        return false;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || QDir::isRelativePath(data))
        return false;
    const QString trash = data + QStringLiteral("/Trash");
    const QString files = trash + QStringLiteral("/files/");
    const QString infos = trash + QStringLiteral("/info/");
    if (!QDir().mkpath(files) || !QDir().mkpath(infos) || !sameVolume(files, page.absolutePath()))
        return false;
    const QByteArray record =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(page.absoluteFilePath(), "/") +
        "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
        "\n";
    const QString base = page.completeBaseName();
    const QString suffix = page.suffix().isEmpty() ? QString() : "." + page.suffix();
    for (int n = 0; n < 10000; ++n) {
        const QString name =
            n == 0 ? page.fileName() : QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        QFile info(infos + name + QStringLiteral(".trashinfo"));
        if (!info.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (info.exists())
                continue; // a name of the trash already
            return false;
        }
        const bool written = info.write(record) == record.size();
        info.close();
        // A stray page without a record may hold the name; rename never replaces.
        if (written && QFile::rename(path, files + name)) {
            *trashed = files + name;
            return true;
        }
        info.remove();
        if (!written || !QFileInfo::exists(files + name))
            return false;
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
    QString home;
    if (moveIntoHomeTrash(path, &home)) {
        if (trashedAs)
            *trashedAs = home;
        return true;
    }
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
