#include "SafeWrite.h"

#include "ProcessIds.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif
#endif

namespace SafeWrite {
namespace {

const QString kPrefix = QStringLiteral(".tarvo-");

// No page write takes this long, so an older file without a process id is a leftover.
const qint64 kPidlessLeftoverAgeSecs = 3600;

// ".tarvo-<pid>-XXXXXX.<suffix>"; the suffix is optional (a page without one).
const QRegularExpression& withPidName()
{
    static const QRegularExpression re(
        QStringLiteral("^\\.tarvo-([0-9]{1,10})-[A-Za-z0-9]{6}(\\.[^.]+)?$"));
    return re;
}

// The name written before the process id was added: ".tarvo-XXXXXX.<suffix>".
const QRegularExpression& pidlessName()
{
    static const QRegularExpression re(QStringLiteral("^\\.tarvo-[A-Za-z0-9]{6}(\\.[^.]+)?$"));
    return re;
}

bool isLeftover(const QFileInfo& entry, const QDateTime& now)
{
    const QString name = entry.fileName();
    const QRegularExpressionMatch match = withPidName().match(name);
    if (match.hasMatch())
        return ProcessIds::isGone(match.captured(1).toLongLong());
    if (pidlessName().match(name).hasMatch())
        return entry.lastModified().secsTo(now) > kPidlessLeftoverAgeSecs;
    return false;
}

} // namespace

QString reserveTemporaryPath(const QString& target)
{
    const QFileInfo info(target);
    const QString suffix = info.suffix();
    // Hidden, so a file list refreshed mid-write does not show it as a page.
    // The process id lets a later run tell a killed writer's file from a live one's.
    QString pattern = info.absolutePath() + QLatin1Char('/') + kPrefix +
                      QString::number(ProcessIds::own()) + QStringLiteral("-XXXXXX");
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

// A new page gets the usual rw-r--r-- rather than the temporary file's private rw-------.
static const QFile::Permissions kNewFileRights = QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ReadUser | QFile::WriteUser |
                                                 QFile::ReadGroup | QFile::ReadOther;

// Runs writer on a hidden temporary file beside target and gives it rights; on
// failure nothing is left behind.
static bool writeBeside(const QString& target, const Writer& writer, QFile::Permissions rights,
                        QString* temporary, QString* why)
{
    *temporary = reserveTemporaryPath(target);
    if (temporary->isEmpty()) {
        *why = QStringLiteral("cannot create a temporary file beside %1").arg(target);
        return false;
    }
    bool written = false;
    try {
        written = writer(*temporary);
    } catch (...) {
        QFile::remove(*temporary);
        throw;
    }
    if (!written || QFileInfo(*temporary).size() == 0) {
        QFile::remove(*temporary);
        *why = QStringLiteral("writing failed: %1").arg(target);
        return false;
    }
    QFile::setPermissions(*temporary, rights);
    return true;
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

    const QFile::Permissions rights =
        targetInfo.exists() ? targetInfo.permissions() : kNewFileRights;
    QString temporary;
    QString why;
    if (!writeBeside(target, writer, rights, &temporary, &why))
        return fail(why);
    // POSIX rename replaces the target atomically: readers see the old page or the new one.
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(targetInfo.absoluteFilePath());
    if (std::rename(from.constData(), to.constData()) != 0) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot replace %1: %2").arg(target, why));
    }
    return true;
}

bool renameNoReplace(const QString& from, const QString& to, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
#if defined(Q_OS_UNIX) && defined(SYS_renameat2)
    if (::syscall(SYS_renameat2, AT_FDCWD, source.constData(), AT_FDCWD, target.constData(),
                  RENAME_NOREPLACE) == 0)
        return true;
    // File systems without the flag fall back to a check right before the rename.
    if (errno != ENOSYS && errno != EINVAL)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
#endif
    const QFileInfo taken(to);
    if (taken.exists() || taken.isSymLink())
        return fail(QString::fromLocal8Bit(std::strerror(EEXIST)));
    if (std::rename(source.constData(), target.constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

bool createFile(const QString& target, const Writer& writer, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() || targetInfo.isSymLink())
        return fail(QStringLiteral("file exists: %1").arg(target));
    QString temporary;
    QString why;
    if (!writeBeside(target, writer, kNewFileRights, &temporary, &why))
        return fail(why);
    if (!renameNoReplace(temporary, targetInfo.absoluteFilePath(), &why)) {
        QFile::remove(temporary);
        return fail(QStringLiteral("cannot create %1: %2").arg(target, why));
    }
    return true;
}

int removeLeftovers(const QString& folder)
{
    const QDateTime now = QDateTime::currentDateTime();
    // Regular files only: a link of that name may point at a page elsewhere.
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {kPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    int removed = 0;
    for (const QFileInfo& entry : entries) {
        if (!isLeftover(entry, now))
            continue;
        const QString path = entry.absoluteFilePath();
        if (QFile::remove(path)) {
            ++removed;
            qInfo().noquote() << QStringLiteral("删除遗留的临时文件：") + path;
        } else {
            qWarning().noquote() << QStringLiteral("遗留的临时文件无法删除：") + path;
        }
    }
    return removed;
}

} // namespace SafeWrite
