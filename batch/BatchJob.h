#pragma once

#include "PageNumberJob.h"
#include "stColourInfo.h"
#include "stPageMargins.h"
#include "stPageSizeInfo.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

// Everything one batch run needs, copied before the run starts so the workers
// read no process-wide state and no GUI object while they work.
struct BatchJob
{
    QStringList files;  // full paths, processed and numbered in this order
    QList<int> actions; // operation identifiers, applied in this order

    int dpiX = 0; // resolution stored by operation 54 (0, 0 when never set)
    int dpiY = 0;
    stPageSizeInfo pageSize; // millimetres, operation 55
    stPageMargins margins;   // millimetres, operation 203
    stColourInfo colour;     // operation 46
    // Colour of the clearing operations (margins, seals).
    QColor backgroundColour = QColor(255, 255, 255);
    // The stored "image/background-color" text ("r,g,b") that operation 22
    // applies; empty when the settings hold none, which makes 22 fail.
    QString backgroundColourText;

    // Page numbering (operation 43). With numberingFromView the font, item
    // position and height and the displayed page rectangle of `numbering`
    // come from the view and are scaled to each page. Without a view each
    // page gets the record's area and margins at its own resolution (scale 1).
    stPageNoInfo pageNo;
    PageNumberJob numbering;
    bool numberingFromView = false;

    // When set, each page's file is copied here before it is rewritten, so the
    // window can offer the page as it was (BatchSummary::originals).
    QString originalsFolder;

    // Files processed at the same time; 0 picks from the cores available.
    int workers = 0;

    // The process-wide parameters and the stored background colour text.
    static BatchJob fromProcess(const QStringList& files, const QList<int>& actions);
};
