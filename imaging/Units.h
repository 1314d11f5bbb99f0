#pragma once

#include <cmath>

// Millimetres at an integer resolution to whole pixels: mm / 25.4 * dpi in
// double precision, halves rounded upward (210 mm at 300 dpi is 2480 px).
inline int mmToPixels(float mm, int dpi)
{
    const double px = static_cast<double>(mm) / 25.4 * dpi;
    return static_cast<int>(std::floor(px + 0.5));
}
