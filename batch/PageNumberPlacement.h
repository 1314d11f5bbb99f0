#pragma once

#include "PageNumberJob.h"

#include <QString>

// Where a page number goes when no view shows the page: the record's font
// size (mm) and margins (mm) at the page's own resolution, the item placed in
// the record's area exactly as the view places it, at display scale 1.
class PageNumberPlacement
{
public:
    // A page of unknown resolution is taken as this many dots per inch, so its
    // number is still readable rather than one pixel high.
    static constexpr int kFallbackDpi = 300;

    // The one-page job that stamps `text` on a page of width x height pixels;
    // files and numbering are the caller's. Needs a QGuiApplication (fonts).
    static PageNumberJob forPage(const stPageNoInfo& pageNo, const QString& text, int width,
                                 int height, int dpiX, int dpiY);
};
