#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Small but honest test pages for the statistics: real pixel sizes (the
// format comes from pixels and resolution) written fast as 1-bit PNG.
namespace StatsTestPages {

// Pixel size of a page `mmWidth` x `mmHeight` scanned at `dpi`.
QSize pagePixels(int mmWidth, int mmHeight, int dpi);

// dpi 0 writes no resolution at all.
bool writePng(const QString& path, const QSize& pixels, int dpi,
              QImage::Format format = QImage::Format_Mono);
bool writeJpeg(const QString& path, const QSize& pixels, int dpi, bool colour);
// 1-bit TIFF with `frames` pages, through ImageMagick.
bool writeTiff(const QString& path, const QSize& pixels, int dpi, int frames, bool bilevel);
bool writeText(const QString& path, const QByteArray& bytes);

} // namespace StatsTestPages
