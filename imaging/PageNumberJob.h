#pragma once

#include "stPageNoInfo.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

// Everything a page-numbering run needs, copied from the view on the GUI thread
// before the run starts, so the run itself touches no widget or scene object.
// itemPos and pageRect are in the same (scene) coordinates; the number box is
// placed at itemPos relative to the page's top-left corner, scaled from the
// displayed page to the image's pixels.
struct PageNumberJob
{
    QStringList files;   // full paths, stamped in this order
    stPageNoInfo pageNo; // prefix, suffix, length, zero fill
    int startNumber = 1; // number of the first readable file

    // The page number item's font as shown (pixel size in scene units).
    QString fontFamily;
    int fontPixelSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    QPointF itemPos;      // top-left of the page number item
    qreal itemHeight = 0; // height of the page number item
    QRectF pageRect;      // the page as displayed when the run started
};
