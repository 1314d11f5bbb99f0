#pragma once

#include <QString>
#include <opencv2/core.hpp>

// Shared inputs of the engine benchmarks: an A4 page at 300 dpi (2480 x 3508)
// with text lines, a photo-like block and scanner noise, in colour and grey,
// and the same pages written to files in a scratch folder.
namespace BenchPages {

const cv::Mat& page(bool grey);

// The page written once as suffix (jpg, tif, png, bmp) at 300 dpi; the path.
QString pageFile(const QString& suffix, bool grey);

// A fresh name in the scratch folder for benchmarks that write.
QString scratchPath(const QString& name);

} // namespace BenchPages
