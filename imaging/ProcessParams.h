#pragma once

#include "stColourInfo.h"
#include "stPageMargins.h"
#include "stPageNoInfo.h"
#include "stPageSizeInfo.h"

#include <QColor>

// The operation parameters in force for the whole process. The settings store
// fills them at start and after every write; the parameter dialogs replace them.
// Workers read them while a modal progress dialog keeps the interface from
// changing them, so they carry no lock. Engine functions take what they need as
// arguments; only callers read this object.
struct ProcessParams
{
    stPageMargins margins;
    int saveMode = 1;
    int dpiX = 0;
    int dpiY = 0;
    stPageNoInfo pageNo;
    stColourInfo colour;
    stPageSizeInfo pageSize;
    QColor backgroundColour = QColor(255, 255, 255, 255);

    static ProcessParams& current();
};
