#include "Rotation.h"

#include <QDebug>
#include <opencv2/imgproc.hpp>

namespace ImageHelper {

cv::Mat rotate(const cv::Mat& src, int angleCode)
{
    if (src.empty())
        return src.clone();
    cv::RotateFlags flag;
    switch (angleCode) {
    case 90:
        flag = cv::ROTATE_90_COUNTERCLOCKWISE;
        break;
    case 180:
        flag = cv::ROTATE_180;
        break;
    case 270:
        flag = cv::ROTATE_90_CLOCKWISE;
        break;
    default:
        return src.clone();
    }
    try {
        cv::Mat out;
        cv::rotate(src, out, flag);
        return out;
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception: " + QString::fromStdString(e.what());
        return src.clone();
    }
}

cv::Mat flip(const cv::Mat& src, int flipCode)
{
    if (src.empty())
        return src.clone();
    try {
        cv::Mat out;
        cv::flip(src, out, flipCode);
        return out;
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception: " + QString::fromStdString(e.what());
        return src.clone();
    }
}

cv::Mat rotationMatrix(const cv::Point2f& centre, double angle, double scale)
{
    return cv::getRotationMatrix2D(centre, angle, scale);
}

cv::Mat rotateAbout(const cv::Mat& src, const cv::Point2f& centre, double angle)
{
    cv::Mat out;
    cv::warpAffine(src, out, rotationMatrix(centre, angle, 1.0), src.size(), cv::INTER_LINEAR,
                   cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255, 0));
    return out;
}

cv::Mat rotateByAngle(const cv::Mat& src, float angle)
{
    if (src.empty())
        return src.clone();
    try {
        const cv::Point2f centre(static_cast<float>(src.cols / 2),
                                 static_cast<float>(src.rows / 2));
        return rotateAbout(src, centre, angle);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception: " + QString::fromStdString(e.what());
        return src.clone();
    }
}

} // namespace ImageHelper
