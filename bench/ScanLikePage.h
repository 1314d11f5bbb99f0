#pragma once

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

// A scanned-looking A4 page at 300 dpi (2480 x 3508): off-white paper with
// grain, dark text lines and a red seal, so it compresses like a real scan.
// seed varies the line lengths.
inline cv::Mat scanLikePage(int seed)
{
    constexpr int kWidth = 2480;
    constexpr int kHeight = 3508;
    cv::Mat page(kHeight, kWidth, CV_8UC3, cv::Scalar(236, 244, 248));
    cv::RNG rng(seed);
    for (int y = 300; y < kHeight - 300; y += 70) {
        const int length = rng.uniform(900, kWidth - 500);
        cv::rectangle(page, cv::Rect(250, y, length, 28), cv::Scalar(40, 40, 48), cv::FILLED);
    }
    cv::circle(page, cv::Point(1900, 3000), 200, cv::Scalar(40, 40, 200), 12);
    cv::Mat noise(page.size(), CV_8UC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, 6);
    return page + noise;
}
