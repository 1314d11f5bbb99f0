#include "SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace SafeWrite {

QString reserveTemporaryPath(const QString& target)
{
    const QFileInfo info(target);
    const QString suffix = info.suffix();
    // Hidden, so a file list refreshed mid-write does not show it as a page.
    QString pattern = info.absolutePath() + QStringLiteral("/.tarvo-XXXXXX");
    if (!suffix.isEmpty())
        pattern += QLatin1Char('.') + suffix;
    QTemporaryFile file(pattern);
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    const QString path = file.fileName();
    file.close();
    return path;
}

bool replaceFile(const QString& target, const Writer& writer, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo targetInfo(target);
    // The owner's write bit, not access(): a page made read-only stays so even for root.
    if (targetInfo.exists() &&
        (!targetInfo.isWritable() || !(targetInfo.permissions() & QFile::WriteOwner)))
        return fail(QStringLiteral("file is read-only: %1").arg(target));

    const QString temporary = reserveTemporaryPath(target);
    if (temporary.isEmpty())
        return fail(QStringLiteral("cannot create a temporary file beside %1").arg(target));

    bool written = false;
    try {
        written = writer(temporary);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    if (!written || QFileInfo(temporary).size() == 0) {
        QFile::remove(temporary);
        return fail(QStringLiteral("writing failed: %1").arg(target));
    }
    // A replaced page keeps its rights; a new one gets the usual rw-r--r-- rather
    // than the temporary file's private rw-------.
    QFile::setPermissions(temporary, targetInfo.exists()
                                         ? targetInfo.permissions()
                                         : QFile::ReadOwner | QFile::WriteOwner |
                                               QFile::ReadUser | QFile::WriteUser |
                                               QFile::ReadGroup | QFile::ReadOther);
    // POSIX rename replaces the target atomically: readers see the old page or the new one.
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(targetInfo.absoluteFilePath());
    if (std::rename(from.constData(), to.constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot replace %1: %2").arg(target, why));
    }
    return true;
}

} // namespace SafeWrite
