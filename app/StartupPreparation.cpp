#include "StartupPreparation.h"

#include "SettingsStore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Empties the scan folder, hidden leftovers included: any file left there
// would be taken for a freshly scanned page.
void emptyScanDir(const QString& path)
{
    const QFileInfoList entries = QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!QFile::remove(entry.absoluteFilePath()))
            QDir(entry.absoluteFilePath()).removeRecursively();
    }
}

} // namespace

QString scanTempDir()
{
    return QDir::tempPath() + QStringLiteral("/qavo");
}

void prepareProcessState()
{
    qDebug().noquote() << "临时目录为：" + QDir::tempPath();

    const QString scanDir = scanTempDir();
    const QFileInfo info(scanDir);
    // A stray file of that name would block every scan; a symbolic link would
    // make the emptying below wipe whatever folder it points at.
    if (info.isSymLink() || (info.exists() && !info.isDir()))
        QFile::remove(scanDir);
    if (QFileInfo(scanDir).isDir())
        emptyScanDir(scanDir);
    else
        QDir().mkpath(scanDir);

    SettingsStore::loadSettings();
    SettingsStore::loadBackgroundColour();
}
