#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

namespace {

QMutex& pathsMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& testBaseDir()
{
    static QString dir;
    return dir;
}

// The executable's folder when the program may write there, else "".
QString writableExecutableDir()
{
    if (!QCoreApplication::instance())
        return QString();
    const QString dir = QCoreApplication::applicationDirPath();
    const QFileInfo info(dir);
    return (!dir.isEmpty() && info.isDir() && info.isWritable()) ? dir : QString();
}

QString standardDir(QStandardPaths::StandardLocation location)
{
    QString dir = QStandardPaths::writableLocation(location);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.tarvo");
    QDir().mkpath(dir);
    return dir;
}

// The lock covers only the copy: anything below may log, and the log handler
// asks for its folder again.
QString resolve(QStandardPaths::StandardLocation fallback)
{
    QString base;
    {
        QMutexLocker lock(&pathsMutex());
        base = testBaseDir();
    }
    if (!base.isEmpty())
        return base;
    const QString exeDir = writableExecutableDir();
    return exeDir.isEmpty() ? standardDir(fallback) : exeDir;
}

} // namespace

QString AppPaths::configDir()
{
    return resolve(QStandardPaths::AppConfigLocation);
}

QString AppPaths::dataDir()
{
    return resolve(QStandardPaths::AppDataLocation);
}

QString AppPaths::settingsFile()
{
    return configDir() + QStringLiteral("/settings.ini");
}

QString AppPaths::shortcutFile()
{
    return configDir() + QStringLiteral("/shortcut.json");
}

QString AppPaths::logDir()
{
    return dataDir() + QStringLiteral("/log");
}

void AppPaths::setBaseDirForTesting(const QString& dir)
{
    QMutexLocker lock(&pathsMutex());
    testBaseDir() = dir;
}
