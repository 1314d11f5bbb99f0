#pragma once

#include "../imaging/PageTestFiles.h"
#include "PageFile.h"

#include <opencv2/imgproc.hpp>

// Pages and files shared by the batch tests.
namespace BatchTestPages {

using PageTestFiles::bytesOf;
using PageTestFiles::writeBytes;

// A page with text-like lines, so lossy formats have something to encode.
inline cv::Mat page(int width, int height, int channels = 3)
{
    cv::Mat mat(height, width, CV_8UC3, cv::Scalar(236, 240, 244));
    for (int y = 20; y < height - 10; y += 24)
        cv::putText(mat, "Archive 1957 item", {10, y}, cv::FONT_HERSHEY_SIMPLEX, 0.6,
                    cv::Scalar(40, 40, 45), 2);
    if (channels == 1)
        cv::cvtColor(mat, mat, cv::COLOR_BGR2GRAY);
    return mat;
}

inline QString write(const QString& path, const cv::Mat& mat, int dpi = 300)
{
    if (!PageFile::saveWithDensity(mat, path, dpi, dpi))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace BatchTestPages
