// Automatic deskew of text pages (declared in Rotation.h).
//
// A pass binarises the page (Otsu), erodes it with a 15 x 15 cross so each
// text line becomes one dark band, takes the band edges (Canny 50/150) and
// finds straight lines with a Hough transform (1 px, 1 degree, 200 votes).
// A line at angle theta is tilted theta - 90 degrees from level; the majority
// side's mean tilt is the turn applied.
#include "Rotation.h"

#include <QDebug>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ImageHelper {
namespace {

constexpr double kOtsuStartLevel = 127;
constexpr int kErodeSize = 15;
constexpr double kCannyLow = 50;
constexpr double kCannyHigh = 150;
constexpr int kHoughVotes = 200;
constexpr float kTiltWindow = 45.0f;

std::vector<cv::Vec2f> houghLines(const cv::Mat& src)
{
    cv::Mat grey;
    if (src.channels() == 3)
        cv::cvtColor(src, grey, cv::COLOR_BGR2GRAY);
    else
        grey = src;
    cv::Mat binary;
    cv::threshold(grey, binary, kOtsuStartLevel, 255, cv::THRESH_OTSU);
    const cv::Mat cross =
        cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(kErodeSize, kErodeSize));
    cv::Mat eroded;
    cv::erode(binary, eroded, cross, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
              cv::morphologyDefaultBorderValue());
    cv::Mat edges;
    cv::Canny(eroded, edges, kCannyLow, kCannyHigh, 3, false);
    std::vector<cv::Vec2f> lines;
    cv::HoughLines(edges, lines, 1, CV_PI / 180, kHoughVotes, 0, 0, 0, CV_PI);
    return lines;
}

} // namespace

double deskewAngle(const std::vector<cv::Vec2f>& lines)
{
    std::vector<float> positive;
    std::vector<float> negative;
    for (const cv::Vec2f& line : lines) {
        // Degrees from level; the precision steps are those the tie and
        // zero rules were settled with.
        const float product = line[1] * 180.0f;
        const float tilt = static_cast<float>(product / CV_PI - 90.0);
        if (tilt > -kTiltWindow && tilt < 0.0f)
            negative.push_back(tilt);
        else if (tilt > 0.0f && tilt < kTiltWindow)
            positive.push_back(tilt);
    }
    qDebug().nospace().noquote() << "[霍夫变换] 正向：" << positive.size() << ", 反向："
                                 << negative.size();
    const std::vector<float>& chosen = positive.size() > negative.size() ? positive : negative;
    if (chosen.empty())
        return 0.0;
    // Whole-degree running sum: each step truncates toward zero, so tilts
    // under one degree add nothing.
    int sum = 0;
    for (float tilt : chosen)
        sum = static_cast<int>(sum + static_cast<double>(tilt));
    return static_cast<double>(sum) / static_cast<double>(chosen.size());
}

cv::Mat deskewPass(const cv::Mat& src)
{
    if (src.empty())
        return src.clone();
    try {
        const std::vector<cv::Vec2f> lines = houghLines(src);
        qDebug() << "lines count is:" << lines.size();
        if (lines.empty()) {
            qWarning().noquote() << QStringLiteral(" 纠斜失败，未检测到特征 ");
            return src.clone();
        }
        const double angle = deskewAngle(lines);
        if (angle == 0.0)
            return src.clone();
        return rotateAbout(src, cv::Point2f(src.cols * 0.5f, src.rows * 0.5f), angle);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception: " + QString::fromStdString(e.what());
        return src.clone();
    }
}

cv::Mat autoDeskew(const cv::Mat& src, int passes)
{
    if (passes < 1)
        return src.clone();
    // Every pass returns a new matrix, so the input needs no copy of its own.
    cv::Mat result = deskewPass(src);
    for (int pass = 1; pass < passes; ++pass)
        result = deskewPass(result);
    return result;
}

} // namespace ImageHelper
