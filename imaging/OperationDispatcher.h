#pragma once

#include "OperationContext.h"
#include "OperationId.h"

#include <QList>
#include <QVariant>
#include <opencv2/core.hpp>

// The one table from operation identifier to engine call, used by the toolbar
// and by the batch worker. Values by identifier:
//   12 angle (double); 26, 27, 36, 37, 53, 61 QRect (36 without a rectangle:
//   whole page); 17 the four corners (QPolygon or list of QPoint); 22 QColor
//   (or "r,g,b" text); 42 map {"text", "font" (QFont), "pos" (QPoint)};
//   46 list [contrast, brightness, saturation] (none: ctx.colour);
//   55 map {"widthMM", "heightMM", "dpiX", "dpiY"} or QSize in mm (none:
//   ctx.pageSize at ctx's resolution); 203 QPoint (dpiX, dpiY) (none: ctx's);
//   every other operation takes no value.
// 43 (file-level numbering), 54 (resolution only) and 60 (copy) change no pixels.
class OperationDispatcher
{
public:
    // The result of operation id on in. Unknown identifiers, unusable values,
    // operations outside the batch list when ctx.batch is set, and engine
    // errors give in unchanged with *ok false.
    static cv::Mat apply(int id, const cv::Mat& in, const QVariant& value,
                         const OperationContext& ctx, bool* ok = nullptr);

    static bool isKnown(int id);
    static bool isBatchOperation(int id);
    // The identifiers of the batch list, in the list's order.
    static QList<int> batchOperations();

    // The value the batch worker passes for id: 203 the resolution in force,
    // 55 the page-size map, 22 the background colour, 46 the colour values;
    // an empty value otherwise.
    static QVariant batchValue(int id, const OperationContext& ctx);
};
