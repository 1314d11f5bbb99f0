#include "PageDisplay.h"

#include "ImageConvert.h"

#include <opencv2/imgproc.hpp>

QSize PageDisplay::targetSize(const QSize& full, const QSize& viewport, bool keepScale, double zoom)
{
    QSize target = keepScale ? QSize(static_cast<int>(full.width() * zoom),
                                     static_cast<int>(full.height() * zoom))
                             : viewport - QSize(kFitBorder, kFitBorder);
    // A viewport smaller than the border (or a tiny zoom) must still show a pixel.
    return target.expandedTo(QSize(1, 1));
}

QImage PageDisplay::scaled(const cv::Mat& full, const QSize& target, stDisplayScale* scale)
{
    if (full.empty())
        return QImage();
    const QSize fullSize(full.cols, full.rows);
    const QSize size = fullSize.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    cv::Mat shown;
    if (size == fullSize) {
        shown = full;
    } else {
        cv::Mat source = full;
        // Averaging over whole k x k blocks first is several times faster than a
        // fractional area average over the full page; the few edge pixels that
        // do not fill a block are below one displayed pixel.
        const int k = qMin(full.cols / size.width(), full.rows / size.height());
        if (k >= 2) {
            const cv::Mat blocks = full(cv::Rect(0, 0, full.cols / k * k, full.rows / k * k));
            cv::resize(blocks, source, cv::Size(blocks.cols / k, blocks.rows / k), 0, 0,
                       cv::INTER_AREA);
        }
        const bool shrinking = size.width() < source.cols;
        cv::resize(source, shown, cv::Size(size.width(), size.height()), 0, 0,
                   shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
    }
    if (scale) {
        scale->ratioX = static_cast<double>(size.width()) / fullSize.width();
        scale->ratioY = static_cast<double>(size.height()) / fullSize.height();
        scale->zoom = qMin(scale->ratioX, scale->ratioY);
    }
    return ImageHelper::matToQImage(shown);
}
