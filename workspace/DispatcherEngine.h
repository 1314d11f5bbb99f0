#pragma once

#include "CurrentImage.h"

// The engine of the interactive path: every operation of the current image goes
// through the one dispatcher the batch runner uses too, with the parameters in
// force and the current file's own resolution (margins and page sizes are in
// millimetres, so they need it).
class DispatcherEngine
{
public:
    // image must outlive the returned engine; it is asked for its file's resolution.
    // clipboard (may be null; must outlive the engine too) is what a paste pastes.
    static CurrentImage::Engine forImage(const CurrentImage* image,
                                         const cv::Mat* clipboard = nullptr);

    static CurrentImage::OperationResult apply(int optId, const cv::Mat& in, const QVariant& param,
                                               int dpiX, int dpiY,
                                               const cv::Mat& clipboard = cv::Mat());
};
