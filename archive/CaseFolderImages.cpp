#include "CaseFolderImages.h"

#include "FolderEntries.h"

#include <QImageReader>
#include <QSet>
#include <algorithm>

namespace {

// Lower-case suffixes of the readable image formats.
const QSet<QString>& imageSuffixes()
{
    static const QSet<QString> all = [] {
        QSet<QString> result;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            result.insert(QString::fromLatin1(format).toLower());
        return result;
    }();
    return all;
}

} // namespace

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
    QStringList names;
    for (const QString& name : FolderEntries::plainFiles(folder)) {
        // As the patterns match: by the last suffix, without regard to case (IMG.JPG counts).
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && imageSuffixes().contains(name.mid(dot + 1).toLower()))
            names << name;
    }
    // Same order on every run: case-insensitive, ties broken by the exact name.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}
