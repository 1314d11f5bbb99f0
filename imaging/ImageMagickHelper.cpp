#include "ImageMagickHelper.h"

#include "ExifOrientation.h"
#include "MagickRuntime.h"
#include "PageMerge.h"
#include "SafeWrite.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

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
    PageMerge::Options options;
    options.format = PageMerge::formatFor(destination);
    options.everyPageOrNothing = false;
    options.replaceExisting = true;
    return PageMerge::merge(sources, destination, options).ok;
}

bool images2Pdf(const QStringList& sources, const QString& destination)
{
    PageMerge::Options options;
    options.format = PageMerge::Format::Pdf;
    options.everyPageOrNothing = false;
    options.replaceExisting = true;
    const PageMerge::Result result = PageMerge::merge(sources, destination, options);
    qDebug() << "ImageMagickHelper::images2Pdf" << result.pages << destination;
    return result.ok;
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
