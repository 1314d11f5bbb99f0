#pragma once

#include <opencv2/core.hpp>
#include <vector>

// Turns, mirrors, free rotation and automatic deskew. Every function returns
// a new matrix and leaves its input untouched; angles are in degrees, positive
// turning the page counter-clockwise on screen.
namespace ImageHelper {

// angleCode 90: counter-clockwise quarter turn, 180: half turn, 270: clockwise
// quarter turn; any other code returns a copy.
cv::Mat rotate(const cv::Mat& src, int angleCode);

// flipCode 1 mirrors left and right, 0 top and bottom.
cv::Mat flip(const cv::Mat& src, int flipCode);

// Rotation about the integer centre into a frame of the same size; corners
// that leave the frame are cut off, uncovered corners are white.
cv::Mat rotateByAngle(const cv::Mat& src, float angle);

// Rotation about centre into a frame of the same size with white corners;
// throws what OpenCV throws (callers log and keep the page).
cv::Mat rotateAbout(const cv::Mat& src, const cv::Point2f& centre, double angle);

// The 2 x 3 affine matrix (CV_64F) of a rotation about centre by angle with scale.
cv::Mat rotationMatrix(const cv::Point2f& centre, double angle, double scale);

// passes deskew passes, each on the previous result; fewer than 1 returns a copy.
cv::Mat autoDeskew(const cv::Mat& src, int passes);

// One pass: finds the text lines' tilt by a Hough transform and turns the page
// level. A page without usable lines comes back unchanged.
cv::Mat deskewPass(const cv::Mat& src);

// The turn a pass applies for the Hough lines (rho, theta) found: tilts in
// (-45, 0) and (0, 45) degrees are counted per side, the larger side wins (the
// negative side on a tie) and is averaged with a whole-degree running sum.
// 0 when neither side has a tilt.
double deskewAngle(const std::vector<cv::Vec2f>& lines);

} // namespace ImageHelper
