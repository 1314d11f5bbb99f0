#pragma once

#include "ProcessParams.h"
#include "stColourInfo.h"
#include "stPageMargins.h"
#include "stPageSizeInfo.h"

#include <QColor>
#include <opencv2/core.hpp>

// What an operation may need besides its own value: the parameters in force
// and the resolution of the image it works on. Built by the caller (toolbar or
// batch worker) so the engine never reads process-wide state itself.
struct OperationContext
{
    QColor backgroundColour = QColor(255, 255, 255);
    int dpiX = 0; // resolution in force for this image
    int dpiY = 0;
    stPageMargins margins;   // millimetres
    stPageSizeInfo pageSize; // millimetres
    stColourInfo colour;
    cv::Mat clipboard;  // the region copied last, pasted by IMG_OPT_ROI_PASTE
    bool batch = false; // true: only the batch list's operations run

    // The given parameters with the given resolution in force.
    static OperationContext make(const QColor& background, int dpiX, int dpiY,
                                 const stPageMargins& margins, const stPageSizeInfo& pageSize,
                                 const stColourInfo& colour, bool batch)
    {
        OperationContext ctx;
        ctx.backgroundColour = background;
        ctx.dpiX = dpiX;
        ctx.dpiY = dpiY;
        ctx.margins = margins;
        ctx.pageSize = pageSize;
        ctx.colour = colour;
        ctx.batch = batch;
        return ctx;
    }

    // The process-wide values with the given resolution in force.
    static OperationContext fromProcess(int dpiX, int dpiY, bool batch = false)
    {
        const ProcessParams& params = ProcessParams::current();
        return make(params.backgroundColour, dpiX, dpiY, params.margins, params.pageSize,
                    params.colour, batch);
    }
};
