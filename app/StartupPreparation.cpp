#include "StartupPreparation.h"

#include "ProcessIds.h"
#include "ScanPlacement.h"
#include "SettingsStore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Our own real folder (not a link), readable by nobody else; a looser mode is
// tightened. Anything else in the shared temporary folder may be another
// user's trap: pages written there could be read or swapped.
bool isOwnPrivateDir(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

} // namespace

QString scanRecoveryRoot()
{
    const QString root = SettingsStore::settingValue(SettingsStore::kRootPath).toString();
    const QFileInfo info(root);
    if (!root.isEmpty() && info.isDir() && info.isWritable())
        return info.absoluteFilePath();
    return QDir::homePath();
}

QString scanTempDir()
{
    static QMutex mutex;
    static QString chosenIn; // the system temporary folder the choice was made in
    static QString chosen;
    QMutexLocker lock(&mutex);
    const QString tmp = QDir::tempPath();
    if (chosenIn == tmp && !chosen.isEmpty() && isOwnPrivateDir(QFile::encodeName(chosen)))
        return chosen;
    chosenIn = tmp;
    const QString wanted = tmp + QStringLiteral("/qavo-") + QString::number(::geteuid());
    const QByteArray encoded = QFile::encodeName(wanted);
    if (::mkdir(encoded.constData(), 0700) == 0 || (errno == EEXIST && isOwnPrivateDir(encoded))) {
        chosen = wanted;
        return chosen;
    }
    qWarning().noquote() << "临时扫描目录不可用，改用新建目录" << wanted;
    QByteArray pattern = encoded + "-XXXXXX";
    chosen = ::mkdtemp(pattern.data()) ? QFile::decodeName(pattern) : QString();
    return chosen;
}

QString scanWorkDir()
{
    const QString root = scanTempDir();
    if (root.isEmpty())
        return QString();
    const QString own = root + QLatin1Char('/') + QString::number(ProcessIds::own());
    const QByteArray encoded = QFile::encodeName(own);
    if (::mkdir(encoded.constData(), 0700) == 0 || (errno == EEXIST && isOwnPrivateDir(encoded)))
        return own;
    return QString();
}

// Pages another instance still waits for stay where they are; those of a
// process that is gone (and loose pages of older versions) are kept in a
// recovery folder, then their folders are removed.
static void rescueScanLeftovers(const QString& scanDir)
{
    QStringList rescued;
    const QString loose = ScanPlacement::rescueLeftovers(scanDir, scanRecoveryRoot());
    if (!loose.isEmpty())
        rescued << loose;
    const QFileInfoList entries = QDir(scanDir).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.fileName().toLongLong(&isPid);
        if (isPid && entry.isDir() && !entry.isSymLink()) {
            if (pid != ProcessIds::own() && !ProcessIds::isGone(pid))
                continue;
            const QString kept =
                ScanPlacement::rescueLeftovers(entry.absoluteFilePath(), scanRecoveryRoot());
            if (!kept.isEmpty())
                rescued << kept;
            QDir(entry.absoluteFilePath()).removeRecursively();
        } else if (!QFile::remove(entry.absoluteFilePath())) {
            QDir(entry.absoluteFilePath()).removeRecursively();
        }
    }
    for (const QString& folder : qAsConst(rescued))
        qWarning().noquote() << "上次扫描留下的页已保存到：" + folder;
}

void prepareProcessState()
{
    qDebug().noquote() << "临时目录为：" + QDir::tempPath();

    SettingsStore::loadSettings();
    SettingsStore::loadBackgroundColour();

    // Pages left by a scan that never finished are kept before the folder is
    // emptied. scanTempDir never hands out a link or someone else's folder, so
    // the emptying cannot reach outside it.
    const QString scanDir = scanTempDir();
    if (scanDir.isEmpty())
        return;
    rescueScanLeftovers(scanDir);
}
