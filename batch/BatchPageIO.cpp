#include "BatchPageIO.h"

#include "JpegPageCodec.h"
#include "PageFile.h"
#include "SafeWrite.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace BatchPageIO {
namespace {

bool readJpeg(const QString& path, cv::Mat& out, int& dpiX, int& dpiY)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    file.close();
    if (!JpegPageCodec::decode(data, out))
        return false;
    // The header as the image library reads it, so the resolution (units,
    // rounding) is the same whichever way the pixels were decoded.
    const PageInfo info = PageFile::readInfo(path);
    if (!info.valid || info.width != out.cols || info.height != out.rows) {
        out.release();
        return false;
    }
    dpiX = info.dpiX;
    dpiY = info.dpiY;
    return true;
}

bool writeBytes(const QString& temporary, const std::vector<unsigned char>& bytes)
{
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 size = static_cast<qint64>(bytes.size());
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size && file.flush();
}

} // namespace

bool isJpegName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

bool read(const QString& path, cv::Mat& out, int& dpiX, int& dpiY)
{
    if (isJpegName(path) && readJpeg(path, out, dpiX, dpiY))
        return true;
    return PageFile::loadWithDensity(path, out, dpiX, dpiY);
}

bool write(const cv::Mat& image, const QString& path, int dpiX, int dpiY)
{
    std::vector<unsigned char> bytes;
    if (!isJpegName(path) || !JpegPageCodec::encode(image, dpiX, dpiY, bytes))
        return PageFile::saveWithDensity(image, path, dpiX, dpiY);
    QString error;
    const bool ok = SafeWrite::replaceFile(
        path, [&bytes](const QString& temporary) { return writeBytes(temporary, bytes); }, &error);
    if (!ok)
        qWarning().noquote() << "save failed:" << error;
    return ok;
}

} // namespace BatchPageIO
