#pragma once

#include "PageInfo.h"

#include <QString>
#include <opencv2/core.hpp>

// Reading and writing page files so that their resolution survives an edit.
// Every function catches decoder and encoder errors, logs them with
// "Caught exception:" and the path, and reports failure. Pages are read as
// shown (turned by their EXIF orientation) and written with orientation 1.
namespace PageFile {

// For interactive editing: always 3 channels (grey files are expanded). Empty on failure.
cv::Mat loadForEdit(const QString& path);

// For batch work: 3 channels only for plain RGB files, grey otherwise; the
// resolution in dots per inch, truncated (0, 0 when unknown).
bool loadWithDensity(const QString& path, cv::Mat& out, int& dpiX, int& dpiY);

// Writes mat over path (format from the suffix) with the given resolution,
// through a temporary file; on failure the existing file is untouched.
bool saveWithDensity(const cv::Mat& mat, const QString& path, int dpiX, int dpiY);

// Changes only the stored resolution of the file (every frame); the picture
// stays as it is shown (a tagged frame is stored turned, with orientation 1).
bool setFileDensity(const QString& path, int dpiX, int dpiY);

// Header only; no pixels are decoded. Width and height as shown.
PageInfo readInfo(const QString& path);

} // namespace PageFile
