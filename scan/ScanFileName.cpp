#include "ScanFileName.h"

#include "NameUtils.h"
#include "StartupPreparation.h"

#include <QDebug>
#include <QDir>

QString scanFileName(stScanNaming& naming, bool advance)
{
    if (naming.directory.isEmpty()) {
        // The private per-user folder; should even that fail, the system one.
        const QString dir = scanWorkDir();
        naming.directory = dir.isEmpty() ? QDir::tempPath() : dir;
    }
    const QString code = codeText(naming.nextCode, naming.codeLength, true);
    if (advance)
        ++naming.nextCode;
    const QString path =
        QStringLiteral("%1/%2%3%4%5")
            .arg(naming.directory, naming.prefix, code, naming.suffix, naming.extension);
    qDebug().noquote() << "scanner fullFileName is" << path;
    return path;
}
