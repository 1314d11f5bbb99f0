#include "ImageMagickHelper.h"

#include "ExifOrientation.h"
#include "MagickRuntime.h"
#include "SafeWrite.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <list>

namespace ImageMagickHelper {

namespace {

// Reads one file as shown: PDF pages and formats without an orientation tag
// would otherwise show a tagged photo turned. Warnings (unknown TIFF tags and
// the like) do not lose the image.
bool readImage(const QString& path, Magick::Image& image)
{
    try {
        image.quiet(true);
        image.read(path.toUtf8().toStdString());
        ExifOrientation::upright(image);
        return image.isValid();
    } catch (const std::exception& e) {
        qWarning() << "Caught exception:" << e.what() << path;
        return false;
    }
}

// Encoders record the name they write to (the PDF title is the file's base
// name), so the file is written under the destination's own name in a private
// folder beside it and then moved onto the temporary path SafeWrite gave.
bool writeUnderOwnName(const QString& destination, const QString& temporary,
                       const std::function<void(const std::string&)>& write)
{
    const QFileInfo target(destination);
    QTemporaryDir folder(target.absolutePath() + QStringLiteral("/.tarvo-XXXXXX"));
    if (!folder.isValid())
        return false;
    const QString named = folder.filePath(target.fileName());
    try {
        write(named.toUtf8().toStdString());
    } catch (const std::exception& e) {
        qWarning() << "Caught exception:" << e.what() << destination;
        return false;
    }
    return std::rename(QFile::encodeName(named).constData(),
                       QFile::encodeName(temporary).constData()) == 0;
}

bool writeSequence(std::list<Magick::Image>& pages, const QString& destination)
{
    if (pages.empty())
        return false;
    // Scene numbers give the page order inside the container.
    size_t scene = 0;
    for (Magick::Image& page : pages)
        page.scene(scene++);
    pages.front().adjoin(true);
    QString error;
    const bool ok = SafeWrite::replaceFile(
        destination,
        [&pages, &destination](const QString& temporary) {
            return writeUnderOwnName(destination, temporary, [&pages](const std::string& path) {
                Magick::writeImages(pages.begin(), pages.end(), path, true);
            });
        },
        &error);
    if (!ok)
        qWarning() << "ImageMagickHelper: writing failed" << error;
    return ok;
}

std::list<Magick::Image> readPages(const QStringList& sources)
{
    std::list<Magick::Image> pages;
    for (const QString& source : sources) {
        Magick::Image image;
        if (readImage(source, image))
            pages.push_back(image);
    }
    return pages;
}

} // namespace

bool convertImage(const QString& source, const QString& destination)
{
    MagickRuntime::ensureInitialised();
    Magick::Image image;
    if (!readImage(source, image))
        return false;
    QString error;
    const bool ok = SafeWrite::replaceFile(
        destination,
        [&image, &destination](const QString& temporary) {
            return writeUnderOwnName(destination, temporary,
                                     [&image](const std::string& path) { image.write(path); });
        },
        &error);
    if (!ok)
        qWarning() << "ImageMagickHelper: writing failed" << error;
    return ok;
}

bool mergeToMultiPage(const QStringList& sources, const QString& destination)
{
    MagickRuntime::ensureInitialised();
    std::list<Magick::Image> pages = readPages(sources);
    return writeSequence(pages, destination);
}

bool images2Pdf(const QStringList& sources, const QString& destination)
{
    MagickRuntime::ensureInitialised();
    std::list<Magick::Image> pages = readPages(sources);
    qDebug() << "ImageMagickHelper::images2Pdf" << pages.size() << destination;
    return writeSequence(pages, destination);
}

QImage toQImage(const Magick::Image& image)
{
    MagickRuntime::ensureInitialised();
    try {
        if (!image.isValid() || image.columns() == 0 || image.rows() == 0)
            return QImage();
        // Grey pages leave Magick as one byte per pixel (its grey-to-RGB path is
        // several times slower) and are widened to RGB by Qt.
        const bool grey = image.colorSpace() == Magick::GRAYColorspace;
        Magick::Image copy(image);
        ExifOrientation::upright(copy);
        copy.magick(grey ? "GRAY" : "RGB");
        copy.depth(8);
        Magick::Blob blob;
        copy.write(&blob);
        const int columns = static_cast<int>(copy.columns());
        const int rows = static_cast<int>(copy.rows());
        const int bytesPerLine = grey ? columns : 3 * columns;
        if (static_cast<qsizetype>(blob.length()) < static_cast<qsizetype>(bytesPerLine) * rows)
            return QImage();
        const QImage wrapped(static_cast<const uchar*>(blob.data()), columns, rows, bytesPerLine,
                             grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        // Both paths copy the pixels out of the blob.
        return grey ? wrapped.convertToFormat(QImage::Format_RGB888) : wrapped.copy();
    } catch (const std::exception& e) {
        qWarning() << "Caught exception:" << e.what();
        return QImage();
    }
}

} // namespace ImageMagickHelper
