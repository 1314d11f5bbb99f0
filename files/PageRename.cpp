#include "PageRename.h"

#include "ExifOrientation.h"
#include "MagickRuntime.h"
#include "NameUtils.h"
#include "PageNameCheck.h"
#include "SafeWrite.h"

#include <Magick++.h>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool taken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A name in dir equal to name ignoring case, other than except; "" when none.
// Archives go to Windows and exFAT, where such names are one and the same file.
QString clashingName(const QString& dir, const QString& name, const QString& except)
{
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry != except && entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

// Strict: a warning such as a premature end of a JPEG file fails the read, so a
// damaged page is never written out grey-filled under a new name.
bool readStrict(const QString& path, Magick::Image& image, QString* error)
{
    try {
        image.quiet(false);
        image.read(path.toUtf8().toStdString());
        ExifOrientation::upright(image);
        return image.isValid();
    } catch (const std::exception& e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
}

// Case-only change: on a volume that ignores case the target "exists" as the
// source itself, so the page goes through a name of its own first.
bool renameThroughTemporary(const QString& from, const QString& to, QString* error)
{
    // Visible and tagged like the batch renames' names, so a crash between the two
    // steps leaves the page in the list rather than hidden.
    const QFileInfo info(from);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
    QString detour;
    do {
        detour = info.absolutePath() + "/" + base + "-" + randomString(8) + suffix;
    } while (taken(detour));
    if (!SafeWrite::renameNoReplace(from, detour, error))
        return false;
    if (SafeWrite::renameNoReplace(detour, to, error))
        return true;
    QString ignored;
    if (!SafeWrite::renameNoReplace(detour, from, &ignored))
        qWarning().noquote() << "rename: page left at" << detour << ignored;
    return false;
}

} // namespace

bool PageRename::convert(const QString& source, const QString& target, QString* error)
{
    MagickRuntime::ensureInitialised();
    Magick::Image image;
    if (!readStrict(source, image, error))
        return false;
    const QString temporary = SafeWrite::reserveTemporaryPath(target);
    if (temporary.isEmpty()) {
        *error = QStringLiteral("无法创建临时文件");
        return false;
    }
    auto fail = [&](const QString& why) {
        QFile::remove(temporary);
        *error = why;
        return false;
    };
    try {
        image.write(temporary.toUtf8().toStdString());
    } catch (const std::exception& e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
    Magick::Image written;
    QString why;
    if (!readStrict(temporary, written, &why))
        return fail(QStringLiteral("转换结果无法读取：%1").arg(why));
    if (written.columns() != image.columns() || written.rows() != image.rows())
        return fail(QStringLiteral("转换结果尺寸不符"));
    QFile::setPermissions(temporary, QFileInfo(source).permissions());
    if (!SafeWrite::renameNoReplace(temporary, target, &why))
        return fail(why);
    return true;
}

PageRename::Result PageRename::rename(const QString& dir, const QString& oldName,
                                      const QString& newName, const QString& dataRoot)
{
    Result result;
    const QDir folder(dir);
    const QString oldPath = QDir::cleanPath(folder.absoluteFilePath(oldName));
    result.newPath = oldPath;
    if (newName == oldName)
        return result;
    auto fail = [&result](const QString& why) {
        result.ok = false;
        result.error = why;
        qWarning().noquote() << "rename failed:" << why;
        return result;
    };
    const QString why = PageNameCheck::problem(newName, PageNameCheck::File, dir, dataRoot);
    if (!why.isEmpty())
        return fail(QStringLiteral("文件名“%1”%2").arg(newName, why));
    if (!QFileInfo(oldPath).isFile())
        return fail(QStringLiteral("文件不存在：%1").arg(oldPath));
    const QString newPath = QDir::cleanPath(folder.absoluteFilePath(newName));
    const QString clash = clashingName(dir, newName, oldName);
    if (!clash.isEmpty() || taken(newPath))
        return fail(QStringLiteral("文件已存在：%1").arg(clash.isEmpty() ? newName : clash));

    QString error;
    if (PageNameCheck::sameFormat(oldName, newName)) {
        const bool caseOnly = oldName.compare(newName, Qt::CaseInsensitive) == 0;
        const bool moved = caseOnly ? renameThroughTemporary(oldPath, newPath, &error)
                                    : SafeWrite::renameNoReplace(oldPath, newPath, &error);
        if (!moved)
            return fail(QStringLiteral("%1重命名失败：%2").arg(oldPath, error));
        result.newPath = newPath;
        return result;
    }
    if (!convert(oldPath, newPath, &error))
        return fail(QStringLiteral("%1转换失败：%2").arg(oldPath, error));
    result.converted = true;
    result.newPath = newPath;
    if (!QFile::remove(oldPath))
        qWarning().noquote() << "rename: converted page kept its old file too" << oldPath;
    return result;
}
