#include "FileConverter.h"

#include "FrameReader.h"
#include "JpegHeader.h"
#include "MagickResolution.h"
#include "MagickRuntime.h"
#include "PageFile.h"
#include "QuietTiff.h"
#include "SafeWrite.h"
#include "TiffPageWriter.h"

#include <Magick++.h>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <tiffio.h>

namespace {

using Result = FileConverter::Result;
using Outcome = FileConverter::Outcome;

Result outcome(Outcome kind, const QString& reason = QString())
{
    return Result{kind, reason};
}

bool looksLikeJpeg(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(3) == QByteArray("\xff\xd8\xff");
}

// 1-bit rows widened to one byte per pixel (0 or 255).
QByteArray unpackBits(const RasterFrame& frame)
{
    QByteArray grey(qsizetype(frame.width) * frame.height, '\0');
    const int rowBytes = frame.bytesPerRow();
    const auto* in = reinterpret_cast<const uchar*>(frame.pixels.constData());
    auto* out = reinterpret_cast<uchar*>(grey.data());
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const bool white = in[qsizetype(y) * rowBytes + (x >> 3)] & (0x80 >> (x & 7));
            out[qsizetype(y) * frame.width + x] = white ? 255 : 0;
        }
    }
    return grey;
}

// JPEG holds neither alpha nor more than 8 bits: transparent parts show white.
bool writeJpeg(const RasterFrame& frame, const QString& path, QString* error)
{
    MagickRuntime::ensureInitialised();
    try {
        static const char* const maps[] = {"", "I", "IA", "RGB", "RGBA"};
        const QByteArray pixels = frame.bits == 1 ? unpackBits(frame) : frame.pixels;
        Magick::Image image;
        image.read(size_t(frame.width), size_t(frame.height), maps[frame.channels],
                   frame.bits == 16 ? Magick::ShortPixel : Magick::CharPixel, pixels.constData());
        if (frame.hasAlpha()) {
            Magick::Image flat(Magick::Geometry(size_t(frame.width), size_t(frame.height)),
                               Magick::Color("white"));
            flat.composite(image, 0, 0, Magick::OverCompositeOp);
            image = flat;
        }
        if (frame.colourChannels() == 1)
            image.type(Magick::GrayscaleType);
        image.depth(8);
        MagickResolution::write(image, frame.dpiX, frame.dpiY);
        image.magick("JPEG");
        image.write("jpeg:" + path.toUtf8().toStdString());
        return true;
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
}

// A file to TIF: every frame, losslessly.
bool writeTiff(const QString& source, int frames, RasterFrame& first, const QString& path,
               bool lzw, QString* error)
{
    TiffPageWriter writer;
    writer.setLzw(lzw);
    if (!writer.open(path, error) || !writer.add(first, error))
        return false;
    first = RasterFrame();
    for (int i = 1; i < frames; ++i) {
        RasterFrame frame;
        if (!FrameReader::read(source, i, frame, error) || !writer.add(frame, error))
            return false;
    }
    return writer.close(error);
}

// The TIFF written here, read back by its directories: every page there, the
// first of the source's size. Headers only: decoding it again would cost as
// much as writing it.
bool tiffVerified(const QString& path, int frames, int width, int height)
{
    TIFF* tiff = QuietTiff::open(path, "r");
    if (!tiff)
        return false;
    uint32_t columns = 0;
    uint32_t rows = 0;
    const bool sized = TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &columns) == 1 &&
                       TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &rows) == 1;
    const int pages = TIFFNumberOfDirectories(tiff);
    TIFFClose(tiff);
    return sized && int(columns) == width && int(rows) == height && pages == frames;
}

// The output, read back, has the pages and the size the source had.
bool verified(const QString& path, FileConverter::Target target, int frames, int width, int height)
{
    if (target == FileConverter::Target::Tif)
        return tiffVerified(path, frames, width, height);
    const PageInfo info = PageFile::readInfo(path);
    return info.valid && info.width == width && info.height == height;
}

bool writable(const QFileInfo& info)
{
    return info.isWritable() && (info.permissions() & QFile::WriteOwner);
}

// Renames a file whose name differs from the target only in letter case on a
// volume that ignores case: through a temporary name, so the rename is real.
Result renameCaseOnly(const QString& source, const QString& destination)
{
    const QString temporary = SafeWrite::reserveTemporaryPath(destination);
    QString why;
    if (temporary.isEmpty() || !QFile::remove(temporary) ||
        !SafeWrite::renameNoReplace(source, temporary, &why))
        return outcome(Outcome::Failed, QStringLiteral("无法改名：%1").arg(why));
    if (SafeWrite::renameNoReplace(temporary, destination, &why))
        return outcome(Outcome::Done);
    SafeWrite::renameNoReplace(temporary, source);
    return outcome(Outcome::Failed, QStringLiteral("无法改名：%1").arg(why));
}

} // namespace

QString FileConverter::destinationName(const QString& name, Target target)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);
    return base + (target == Target::Jpg ? QStringLiteral(".jpg") : QStringLiteral(".tif"));
}

bool FileConverter::hasTargetSuffix(const QString& name, Target target)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (target == Target::Jpg)
        return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
    return suffix == QLatin1String("tif") || suffix == QLatin1String("tiff");
}

bool FileConverter::sameFile(const QString& a, const QString& b)
{
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

FileConverter::Result FileConverter::convert(const QString& source, const QString& destination,
                                             Target target, bool tiffLzw)
{
    if (source == destination)
        return outcome(Outcome::Done);
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return outcome(Outcome::Failed, QStringLiteral("文件不存在"));
    // The source goes once converted; one the operator protected stays, unconverted.
    if (!writable(sourceInfo) || !writable(QFileInfo(sourceInfo.absolutePath())))
        return outcome(Outcome::Failed, QStringLiteral("文件只读，未转换"));
    const QFileInfo destinationInfo(destination);
    const bool taken = destinationInfo.exists() || destinationInfo.isSymLink();
    if (taken && !sameFile(source, destination))
        return outcome(Outcome::Skipped, QStringLiteral("目标文件已存在：%1").arg(destination));

    if (hasTargetSuffix(source, target)) {
        // Already in the format: only the name changes.
        if (taken)
            return renameCaseOnly(source, destination);
        QString why;
        if (SafeWrite::renameNoReplace(source, destination, &why))
            return outcome(Outcome::Done);
        return outcome(Outcome::Failed, QStringLiteral("无法改名：%1").arg(why));
    }
    if (taken) // a different format under a case-insensitive twin of the name
        return outcome(Outcome::Skipped, QStringLiteral("目标文件已存在：%1").arg(destination));

    if (looksLikeJpeg(source)) {
        JpegHeader header;
        if (!JpegHeader::inspect(source, header) || !header.complete)
            return outcome(Outcome::Failed, QStringLiteral("文件已损坏"));
    }
    const int frames = FrameReader::frameCount(source);
    if (frames <= 0)
        return outcome(Outcome::Failed, QStringLiteral("无法读取图像"));
    if (frames > 1 && target == Target::Jpg)
        return outcome(Outcome::Skipped, QStringLiteral("多页文件（%1页）不能转为JPG").arg(frames));

    RasterFrame first;
    QString error;
    if (!FrameReader::read(source, 0, first, &error))
        return outcome(Outcome::Failed, QStringLiteral("无法读取图像：%1").arg(error));
    const int width = first.width;
    const int height = first.height;
    const bool written = SafeWrite::createFile(
        destination,
        [&](const QString& temporary) {
            const bool ok = target == Target::Jpg
                                ? writeJpeg(first, temporary, &error)
                                : writeTiff(source, frames, first, temporary, tiffLzw, &error);
            first = RasterFrame(); // one page in memory at a time
            return ok && verified(temporary, target, frames, width, height);
        },
        &error);
    if (!written)
        return outcome(Outcome::Failed, QStringLiteral("写入失败：%1").arg(error));
    if (!QFile::remove(source))
        return outcome(Outcome::Failed, QStringLiteral("已转换，但源文件无法删除"));
    return outcome(Outcome::Done);
}
