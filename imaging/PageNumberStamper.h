#pragma once

#include "PageNumberJob.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <functional>
#include <opencv2/core.hpp>

// Stamps page numbers into page files and paints single numbers into images.
// Works on plain data (PageNumberJob), paints with QPainter on QImage only, so
// it runs on any thread while a QGuiApplication exists.
class PageNumberStamper
{
public:
    // Told the file name (text after the last '/') of each readable file once it
    // has been handled, whether or not it could be rewritten.
    using Progress = std::function<void(const QString& fileName)>;
    // Asked before each file; true ends the run there.
    using StopRequested = std::function<bool()>;

    // Stamps every file of the job in order and rewrites it in place with its
    // own resolution. A file that cannot be read, or holds several pages, is
    // skipped and uses no number;
    // a readable page that cannot be rewritten keeps its number (logged).
    // Returns how many files were stamped.
    static int run(const PageNumberJob& job, const Progress& progress = Progress(),
                   const StopRequested& stopRequested = StopRequested());

    // prefix + number + suffix; the number right-justified with '0' to noLen
    // when zero fill is on (a longer number is kept whole).
    static QString numberText(const stPageNoInfo& pageNo, int number);

    // The job's font scaled by sy (pixel size truncated, at least 1).
    static QFont scaledFont(const PageNumberJob& job, double sy);

    // Paints text into image in the box the job's item maps to on this image
    // (scaled from the displayed page to the image's size). Returns the box.
    static QRect stampImage(QImage& image, const PageNumberJob& job, const QString& text);

    // Single page number: text painted in black with font, its top-left at
    // topLeft (image pixels). The matrix variant keeps the channel count.
    static QImage paintText(const QImage& image, const QString& text, const QFont& font,
                            const QPoint& topLeft);
    static cv::Mat paintText(const cv::Mat& image, const QString& text, const QFont& font,
                             const QPoint& topLeft);

private:
    static bool stampFile(const QString& path, const PageNumberJob& job, const QString& text,
                          bool* readable);
};
