#include "PageFile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

// Apart from the rest of PageFile: OpenCV's image codecs bring GDAL and its
// dozens of libraries, a tenth of a second and 50 MB at every start, which
// the headless tools (headers, conversion, merging) never need.
namespace PageFile {

cv::Mat loadForEdit(const QString& path)
{
    cv::Mat mat;
    try {
        // The file system's encoding, so Chinese folder and file names reach the decoder.
        mat = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_COLOR);
    } catch (const cv::Exception& e) {
        qWarning().noquote() << "Caught exception:" << QString::fromLocal8Bit(e.what()) << path;
    }
    if (!mat.empty())
        return mat;
    // Formats OpenCV was built without (GIF, some TIFF variants) still open through Magick++.
    int dpiX = 0;
    int dpiY = 0;
    if (!QFileInfo(path).isFile() || !loadWithDensity(path, mat, dpiX, dpiY))
        return cv::Mat();
    if (mat.channels() == 1)
        cv::cvtColor(mat, mat, cv::COLOR_GRAY2BGR);
    return mat;
}

} // namespace PageFile
