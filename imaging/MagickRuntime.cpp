#include "MagickRuntime.h"

#include <Magick++.h>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <mutex>

namespace MagickRuntime {
namespace {

std::once_flag initOnce;
QString writtenPolicyPath;

// A0 at 600 dpi is 19866 x 28087 px (558 MP); its pixel cache (8 bytes per pixel
// at Q16) is about 4.5 GB, so it lives in a mapped or disk cache, not in memory.
const char* const kPolicy = R"(<?xml version="1.0" encoding="UTF-8"?>
<policymap>
  <policy domain="resource" name="memory" value="2GiB"/>
  <policy domain="resource" name="map" value="8GiB"/>
  <policy domain="resource" name="width" value="32KP"/>
  <policy domain="resource" name="height" value="32KP"/>
  <policy domain="resource" name="area" value="600MP"/>
  <policy domain="resource" name="disk" value="8GiB"/>
  <policy domain="path" rights="none" pattern="@*"/>
  <policy domain="coder" rights="none" pattern="{URL,HTTP,HTTPS,FTP,MSL,MVG,EPHEMERAL}"/>
  <policy domain="coder" rights="none" pattern="{PS,PS2,PS3,EPS,EPI,EPSF,EPSI,EPT,AI,XPS}"/>
  <policy domain="coder" rights="none" pattern="{PDF,PDFA,EPDF}"/>
  <policy domain="coder" rights="write" pattern="PDF"/>
</policymap>
)";

// A folder only this user writes: the per-user cache, or a private temporary folder.
QString privatePolicyDir()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty()) {
        const QString dir = cache + QStringLiteral("/tarvo-magick-policy");
        if (QDir().mkpath(dir)) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
            return dir;
        }
    }
    // Lives until the process ends; the policy is read only at start-up anyway.
    static QTemporaryDir fallback(QDir::tempPath() + QStringLiteral("/tarvo-magick-XXXXXX"));
    return fallback.isValid() ? fallback.path() : QString();
}

QString writePolicy(const QString& dir)
{
    if (dir.isEmpty())
        return QString();
    const QString path = dir + QStringLiteral("/policy.xml");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(kPolicy) < 0 || !file.commit()) {
        qWarning() << "cannot write ImageMagick policy" << path;
        return QString();
    }
    return path;
}

void initialise()
{
    const QString path = writePolicy(privatePolicyDir());
    if (!path.isEmpty()) {
        writtenPolicyPath = path;
        // Searched before the system folder, so our resource limits are the ones found first.
        QByteArray configurePath = QFile::encodeName(QFileInfo(path).absolutePath());
        const QByteArray previous = qgetenv("MAGICK_CONFIGURE_PATH");
        if (!previous.isEmpty())
            configurePath += ':' + previous;
        qputenv("MAGICK_CONFIGURE_PATH", configurePath);
    }
    const QByteArray program = QCoreApplication::instance()
                                   ? QFile::encodeName(QCoreApplication::applicationFilePath())
                                   : QByteArray();
    Magick::InitializeMagick(program.isEmpty() ? nullptr : program.constData());

    // Coder rules are decided by the last matching entry: appending ours overrides the
    // system file's refusal of PDF output.
    MagickCore::ExceptionInfo* exception = MagickCore::AcquireExceptionInfo();
    if (MagickCore::SetMagickSecurityPolicy(kPolicy, exception) == MagickCore::MagickFalse)
        qWarning() << "ImageMagick refused the security policy:"
                   << (exception->reason ? exception->reason : "");
    MagickCore::DestroyExceptionInfo(exception);
}

} // namespace

void ensureInitialised()
{
    std::call_once(initOnce, initialise);
}

QString policyText()
{
    return QString::fromUtf8(kPolicy);
}

QString policyFilePath()
{
    return writtenPolicyPath;
}

} // namespace MagickRuntime
