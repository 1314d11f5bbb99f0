#pragma once

#include <QString>

// Blank page detection for scans: a page is blank when the share of its pixels
// that carry ink stays at or below a limit. Ink is a pixel darker than
// kBlankInkLevel after a 3x3 box blur (so scanner noise, single specks and
// hair-thin lines do not count, while text strokes do), measured on a copy at
// most kBlankSampleWidth pixels wide (an A4 page at 300 dpi is read at half its
// size) and leaving out a band of
// kBlankMarginShare of each side, where the scanner's edge shadows and the
// paper's border fall.

// The default limit: 0.3 % of the page. Five lines of typed text on an A4 page
// cover about 1 %; a lone page number or a stamp's faint trace stays below.
constexpr double kDefaultBlankInkRatio = 0.003;
// Grey level (0 black .. 255 white) below which a pixel counts as ink.
constexpr int kBlankInkLevel = 160;
constexpr int kBlankSampleWidth = 1280;
constexpr double kBlankMarginShare = 0.05;

// True when the page at path holds no more ink than maxInkRatio; *ratio (when
// given) receives the measured share, -1 when the page cannot be read. A page
// that cannot be read is never taken for blank.
bool isBlankPage(const QString& path, double maxInkRatio = kDefaultBlankInkRatio,
                 double* ratio = nullptr);
