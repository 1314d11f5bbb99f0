#pragma once

#include <Magick++.h>
#include <QFile>
#include <QString>
#include <opencv2/core.hpp>

// Small page files and matrix comparison shared by the imaging tests.
namespace PageTestFiles {

inline QString writePage(const QString& path, const char* colour = "#fff0c0", int dpiX = 300,
                         int dpiY = 300, int width = 400, int height = 300)
{
    Magick::Image page(Magick::Geometry(width, height), Magick::Color(colour));
    page.resolutionUnits(Magick::PixelsPerInchResolution);
    page.density(Magick::Geometry(dpiX, dpiY));
    page.compressType(Magick::NoCompression);
    page.write(path.toUtf8().toStdString());
    return path;
}

inline QString writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

inline QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool same(const cv::Mat& a, const cv::Mat& b)
{
    return a.size() == b.size() && a.type() == b.type() &&
           (a.empty() || cv::norm(a, b, cv::NORM_INF) == 0);
}

} // namespace PageTestFiles
