#include "ScanRecovery.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 kChunk = 1 << 20;

} // namespace

QString ScanRecovery::newFolder(const QString& root)
{
    if (root.isEmpty())
        return QString();
    const QString base = QDir(root).filePath(
        QStringLiteral("scan-recovery/") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    // Two rescues in the same second must not mix their pages.
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(candidate))
            continue;
        if (QDir().mkpath(candidate))
            return candidate;
        return QString();
    }
    return QString();
}

bool ScanRecovery::copyFile(const QString& from, const QString& to, QString* error)
{
    QFile source(from);
    QFile target(to);
    auto failed = [&](const QFile& file) {
        if (error)
            *error = file.errorString();
        return false;
    };
    if (!source.open(QIODevice::ReadOnly))
        return failed(source);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failed(target);
    bool ok = true;
    while (ok && !source.atEnd()) {
        const QByteArray chunk = source.read(kChunk);
        ok = !chunk.isEmpty() && target.write(chunk) == chunk.size();
    }
    ok = ok && source.error() == QFile::NoError && target.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(target.handle()) == 0;
#endif
    ok = ok && target.size() == source.size();
    if (ok)
        return true;
    if (error)
        *error = target.error() != QFile::NoError ? target.errorString() : source.errorString();
    target.close();
    target.remove();
    return false;
}

bool ScanRecovery::syncFolder(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(path);
    return true;
#endif
}

QString ScanRecovery::save(const QStringList& pages, const QString& root, QStringList* failed,
                           bool numbered)
{
    if (pages.isEmpty())
        return QString();
    const QString folder = newFolder(root);
    if (folder.isEmpty()) {
        qWarning().noquote() << "scan recovery folder cannot be made under" << root;
        *failed << pages;
        return QString();
    }
    for (int i = 0; i < pages.size(); ++i) {
        const QString name = QFileInfo(pages.at(i)).fileName();
        const QString target = QDir(folder).filePath(
            numbered ? QStringLiteral("%1-%2").arg(i + 1, 4, 10, QLatin1Char('0')).arg(name)
                     : name);
        QString error;
        if (!copyFile(pages.at(i), target, &error)) {
            qWarning().noquote() << "scan page not saved" << pages.at(i) << error;
            *failed << pages.at(i);
            continue;
        }
        syncFolder(folder);
        if (!QFile::remove(pages.at(i)))
            qWarning().noquote() << "scan page saved but not removed" << pages.at(i);
        qInfo().noquote() << "scan page saved" << pages.at(i) << "->" << target;
    }
    return folder;
}
