#pragma once

#include <QString>
#include <opencv2/core.hpp>

// Reading and writing of pages for the batch, by the page file rules: grey
// unless plain RGB, resolution as the image library reads it (whole dpi),
// crash-safe replacement. JPEG pages, the commonest scans, take a direct
// libjpeg path (JpegPageCodec); everything else, and any JPEG that path does
// not take exactly, goes through PageFile.
namespace BatchPageIO {

bool read(const QString& path, cv::Mat& out, int& dpiX, int& dpiY);
bool write(const cv::Mat& image, const QString& path, int dpiX, int dpiY);

// Whether the name's suffix makes it a JPEG page (.jpg, .jpeg, any case).
bool isJpegName(const QString& path);

} // namespace BatchPageIO
