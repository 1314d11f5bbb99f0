#pragma once

#include <QString>

// What the status bar shows of a page file, read from its header only.
struct PageInfo
{
    bool valid = false;
    int width = 0;
    int height = 0;
    int dpiX = 0; // truncated dots per inch; 0, 0 when the file records none
    int dpiY = 0;
    int depth = 0;    // bits per sample
    int channels = 0; // grey 1, CMYK 4, otherwise 3; plus one for alpha
    // "黑白图像" (1 bit), "灰度图像" (8 bits, fewer than 3 channels) or "彩色 N位".
    QString colourText;
};
