#include "CaseFolderImages.h"

#include <QDir>
#include <QImageReader>
#include <algorithm>

const QStringList& CaseFolderImages::patterns()
{
    static const QStringList all = [] {
        QStringList result;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            result << QStringLiteral("*.") + QString::fromLatin1(format);
        return result;
    }();
    return all;
}

QStringList CaseFolderImages::list(const QString& folder)
{
    // QDir matches the patterns without regard to case, so IMG.JPG counts too.
    QStringList names = QDir(folder).entryList(
        patterns(), QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::NoSort);
    // Same order on every run: case-insensitive, ties broken by the exact name.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}
