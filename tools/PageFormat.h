#pragma once

#include <QSize>
#include <QString>
#include <QVector>

// Paper formats counted for billing. Sizes are nominal, in whole millimetres,
// landscape for A3 and larger as the reference table shows them.
namespace PageFormat {

struct Format
{
    QString name;
    int widthMm;
    int heightMm;
};

// A4, A3, A2, A1, A0 and "超A0", filled once.
const QVector<Format>& table();

// Millimetres with two decimals, rounded half up.
float pixelsToMm(int pixels, int dpi);

// The first of A4..A0 whose tolerance-widened area is strictly larger than the
// page's; "超A0" when none is. Resolutions are whole dots per inch and must be
// positive (pages without resolution are the caller's to count apart).
QString classify(const QSize& pixels, int xDpi, int yDpi, int toleranceMm);

// A4 equivalents of one page of the format: 1, 2, 4, 8, 16; 0 for 超A0 and
// anything unknown (a directory row leaves those out).
int a4Weight(const QString& format);

// "黑白图像", "灰度图像" or "彩色图像 N位".
QString colourText(int depth, int channels);

} // namespace PageFormat
