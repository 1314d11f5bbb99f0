#include "PageFile.h"

#include "ExifOrientation.h"
#include "ImageConvert.h"
#include "MagickResolution.h"
#include "MagickRuntime.h"
#include "SafeWrite.h"

#include <Magick++.h>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <list>
#include <opencv2/imgproc.hpp>
#include <utility>

namespace PageFile {
namespace {

void logException(const char* what, const QString& path)
{
    qWarning().noquote() << "Caught exception:" << QString::fromLocal8Bit(what) << path;
}

// Reads path into image, turned as shown when pixels are read. A damaged file
// (truncated, corrupt data) fails even when the decoder filled in the missing
// part, so a batch never writes the filler back as if it were the page; other
// decoder warnings are only logged.
bool readMagick(const QString& path, Magick::Image& image, bool headerOnly)
{
    const std::string name = path.toUtf8().toStdString();
    try {
        if (headerOnly) {
            image.ping(name);
        } else {
            image.read(name);
            ExifOrientation::upright(image);
        }
    } catch (const Magick::WarningCorruptImage& e) {
        logException(e.what(), path);
        return false;
    } catch (const Magick::Warning& e) {
        logException(e.what(), path);
    } catch (const Magick::Exception& e) {
        logException(e.what(), path);
        return false;
    } catch (const std::exception& e) {
        logException(e.what(), path);
        return false;
    }
    return image.isValid() && image.columns() > 0 && image.rows() > 0;
}

QString colourText(int depth, int channels)
{
    if (depth == 1)
        return QStringLiteral("黑白图像");
    if (depth == 8 && channels < 3)
        return QStringLiteral("灰度图像");
    return QStringLiteral("彩色 %1位").arg(channels * depth);
}

// The suffix picks the encoder; without a known one the library would quietly
// fall back to some other format under the page's name.
bool hasEncoder(const QString& path)
{
    const std::string suffix = QFileInfo(path).suffix().toStdString();
    if (suffix.empty())
        return false;
    try {
        return Magick::CoderInfo(suffix).isWritable();
    } catch (const Magick::Exception&) {
        return false;
    }
}

} // namespace

bool loadWithDensity(const QString& path, cv::Mat& out, int& dpiX, int& dpiY)
{
    MagickRuntime::ensureInitialised();
    out = cv::Mat();
    dpiX = 0;
    dpiY = 0;
    Magick::Image image;
    if (!readMagick(path, image, false))
        return false;
    MagickResolution::read(image, dpiX, dpiY);
    out = ImageHelper::magickToMat(image);
    if (out.empty()) {
        qWarning().noquote() << "Caught exception: cannot convert pixels of" << path;
        return false;
    }
    return true;
}

namespace {

// Writes path through a temporary file beside it; Magick++ errors are logged
// with the path and reported as failure, leaving the page as it was.
bool replaceWithMagick(const QString& path, const char* failure,
                       const std::function<void(const std::string&)>& write)
{
    QString error;
    const bool ok = SafeWrite::replaceFile(
        path,
        [&](const QString& temporary) {
            try {
                write(temporary.toUtf8().toStdString());
                return true;
            } catch (const std::exception& e) {
                logException(e.what(), path);
                return false;
            }
        },
        &error);
    if (!ok)
        qWarning().noquote() << failure << error;
    return ok;
}

} // namespace

bool saveWithDensity(const cv::Mat& mat, const QString& path, int dpiX, int dpiY)
{
    MagickRuntime::ensureInitialised();
    if (!hasEncoder(path)) {
        qWarning().noquote() << "save failed: no image format for the suffix of" << path;
        return false;
    }
    Magick::Image image = ImageHelper::matToMagick(mat);
    if (!image.isValid())
        return false;
    MagickResolution::write(image, dpiX, dpiY);
    return replaceWithMagick(path, "save failed:", [&](const std::string& to) { image.write(to); });
}

bool setFileDensity(const QString& path, int dpiX, int dpiY)
{
    MagickRuntime::ensureInitialised();
    // Every frame, so a multi-page TIFF keeps all its pages.
    std::list<Magick::Image> frames;
    try {
        Magick::readImages(&frames, path.toUtf8().toStdString());
    } catch (const std::exception& e) {
        logException(e.what(), path);
        return false;
    }
    // The list reader leaves decoder warnings on the frames instead of throwing them.
    const bool readable =
        !frames.empty() && std::all_of(frames.begin(), frames.end(), [&](const Magick::Image& f) {
            const MagickCore::ExceptionInfo& problem = f.constImage()->exception;
            if (problem.severity != MagickCore::UndefinedException)
                logException(problem.reason ? problem.reason : "decoder warning", path);
            return f.isValid() && f.columns() > 0 && f.rows() > 0 &&
                   problem.severity != MagickCore::CorruptImageWarning &&
                   problem.severity < MagickCore::ErrorException;
        });
    if (!readable) {
        qWarning().noquote() << "Caught exception: no readable image in" << path;
        return false;
    }
    try {
        // Rewritten as shown, with orientation 1, like every page this program writes.
        for (Magick::Image& frame : frames) {
            ExifOrientation::upright(frame);
            MagickResolution::write(frame, dpiX, dpiY);
        }
    } catch (const std::exception& e) {
        logException(e.what(), path);
        return false;
    }
    return replaceWithMagick(path, "set density failed:", [&](const std::string& to) {
        Magick::writeImages(frames.begin(), frames.end(), to, true);
    });
}

PageInfo readInfo(const QString& path)
{
    MagickRuntime::ensureInitialised();
    PageInfo info;
    Magick::Image image;
    if (!readMagick(path, image, true))
        return info;
    try {
        // As shown: the pixels every reader gives are turned by the orientation.
        const bool swapped = ExifOrientation::swapsSides(static_cast<int>(image.orientation()));
        info.width = static_cast<int>(swapped ? image.rows() : image.columns());
        info.height = static_cast<int>(swapped ? image.columns() : image.rows());
        MagickResolution::read(image, info.dpiX, info.dpiY);
        if (swapped)
            std::swap(info.dpiX, info.dpiY);
        info.depth = static_cast<int>(image.depth());
        info.channels = ImageHelper::magickChannels(image);
        info.colourText = colourText(info.depth, info.channels);
        info.valid = true;
    } catch (const std::exception& e) {
        logException(e.what(), path);
        return PageInfo();
    }
    return info;
}

} // namespace PageFile
