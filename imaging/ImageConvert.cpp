#include "ImageConvert.h"

#include <QDebug>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace ImageHelper {

Magick::Image matToMagick(const cv::Mat& mat)
{
    if (mat.empty()) {
        qWarning() << "Failed to load image!";
        return Magick::Image();
    }
    if (mat.depth() != CV_8U ||
        (mat.channels() != 1 && mat.channels() != 3 && mat.channels() != 4)) {
        qWarning() << "Failed to load image!"
                   << "unsupported matrix type" << mat.type();
        return Magick::Image();
    }
    try {
        cv::Mat work;
        if (mat.channels() == 3)
            cv::cvtColor(mat, work, cv::COLOR_BGR2RGB);
        else if (mat.channels() == 4)
            cv::cvtColor(mat, work, cv::COLOR_BGRA2RGB); // alpha is not part of a page
        else
            work = mat; // read() copies the samples; only their layout matters
        if (!work.isContinuous())
            work = work.clone(); // a view of a larger image (after crop)
        const bool grey = work.channels() == 1;
        Magick::Image image;
        image.read(static_cast<size_t>(work.cols), static_cast<size_t>(work.rows),
                   grey ? "I" : "RGB", Magick::CharPixel, work.data);
        // Imported pixels would otherwise be written at the library's 16-bit quantum depth.
        image.depth(8);
        if (grey)
            image.colorSpace(Magick::GRAYColorspace);
        return image;
    } catch (const std::exception& e) { // OpenCV, Magick++ and allocation failures alike
        qWarning().noquote() << "Caught exception: " + QString::fromStdString(e.what());
    }
    return Magick::Image();
}

int magickChannels(const Magick::Image& image)
{
    int channels = 3;
    const Magick::ColorspaceType space = image.colorSpace();
    if (space == Magick::GRAYColorspace || space == Magick::Rec601LumaColorspace ||
        space == Magick::Rec709LumaColorspace)
        channels = 1;
    else if (space == Magick::CMYKColorspace)
        channels = 4;
    return image.matte() ? channels + 1 : channels;
}

cv::Mat magickToMat(Magick::Image image)
{
    try {
        if (!image.isValid())
            return cv::Mat();
        const int cols = static_cast<int>(image.columns());
        const int rows = static_cast<int>(image.rows());
        if (cols <= 0 || rows <= 0)
            return cv::Mat();
        const int channels = magickChannels(image);
        // Exported samples are read as RGB or intensity; ink values would come out inverted.
        if (image.colorSpace() == Magick::CMYKColorspace)
            image.colorSpace(Magick::sRGBColorspace);
        cv::Mat out(rows, cols, channels == 3 ? CV_8UC3 : CV_8UC1);
        image.write(0, 0, static_cast<size_t>(cols), static_cast<size_t>(rows),
                    channels == 3 ? "BGR" : "I", Magick::CharPixel, out.data);
        return out;
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception: " + QString::fromStdString(e.what());
    }
    return cv::Mat();
}

QImage matToQImage(const cv::Mat& mat)
{
    if (mat.empty())
        return QImage();
    const int stride = static_cast<int>(mat.step);
    switch (mat.type()) {
    case CV_8UC1:
        return QImage(mat.data, mat.cols, mat.rows, stride, QImage::Format_Grayscale8).copy();
    case CV_8UC3:
        return QImage(mat.data, mat.cols, mat.rows, stride, QImage::Format_RGB888).rgbSwapped();
    case CV_8UC4:
        return QImage(mat.data, mat.cols, mat.rows, stride, QImage::Format_ARGB32).copy();
    case CV_16UC4:
        return QImage(mat.data, mat.cols, mat.rows, stride, QImage::Format_RGBA64).rgbSwapped();
    default:
        return QImage();
    }
}

} // namespace ImageHelper
