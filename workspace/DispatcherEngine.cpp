#include "DispatcherEngine.h"

#include "OperationContext.h"
#include "OperationDispatcher.h"

CurrentImage::Engine DispatcherEngine::forImage(const CurrentImage* image, const cv::Mat* clipboard)
{
    return [image, clipboard](int optId, const cv::Mat& in, const QVariant& param) {
        const QPair<int, int> dpi = image->resolution(image->file());
        return apply(optId, in, param, dpi.first, dpi.second, clipboard ? *clipboard : cv::Mat());
    };
}

CurrentImage::OperationResult DispatcherEngine::apply(int optId, const cv::Mat& in,
                                                      const QVariant& param, int dpiX, int dpiY,
                                                      const cv::Mat& clipboard)
{
    CurrentImage::OperationResult result;
    if (!OperationDispatcher::isKnown(optId)) {
        result.status = CurrentImage::OperationResult::UnknownOperation;
        return result;
    }
    bool ok = false;
    OperationContext ctx = OperationContext::fromProcess(dpiX, dpiY);
    ctx.clipboard = clipboard;
    cv::Mat out = OperationDispatcher::apply(optId, in, param, ctx, &ok);
    // An unusable value or an engine error leaves the page as it was.
    if (!ok)
        result.status = CurrentImage::OperationResult::MissingParameter;
    else
        result.image = out;
    return result;
}
