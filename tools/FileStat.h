#pragma once

#include <QSize>
#include <QString>

// One counted image file.
struct FileStat
{
    QString fileName; // with extension
    QString suffix;   // after the last "."; empty without one
    QString dpiText;  // "300x300"; "0x0" when the file states no resolution
    QSize pixels;
    qint64 bytes = 0;
    QString colourText;
    // One of the six format names; empty for a page without resolution.
    QString format;
    int pages = 1;

    bool hasResolution() const { return !format.isEmpty(); }
};
