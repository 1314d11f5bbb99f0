#pragma once

#include <Magick++.h>
#include <QFile>
#include <QString>
#include <list>

// Page files of the kinds a scanning station delivers, for the merge and
// conversion tests.
namespace MergeTestFiles {

// A JPEG with structure (so its bytes are not trivial) at dpi (none when 0).
inline QString writeJpeg(const QString& path, int width, int height, int dpi, int seed = 1)
{
    Magick::Image page(Magick::Geometry(width, height), Magick::Color("white"));
    page.addNoise(Magick::GaussianNoise);
    page.fillColor(Magick::Color(seed % 2 ? "navy" : "maroon"));
    page.draw(Magick::DrawableRectangle(seed % (width / 2), 5, width / 2, height / 2));
    if (dpi > 0) {
        page.resolutionUnits(Magick::PixelsPerInchResolution);
        page.density(Magick::Geometry(dpi, dpi));
    }
    page.quality(80);
    page.write("jpeg:" + path.toUtf8().toStdString());
    return path;
}

// A TIFF of frames count pages (each of its own colour) at 200 dpi.
inline QString writeFrames(const QString& path, int frames)
{
    const char* colours[] = {"red", "green", "blue", "yellow"};
    std::list<Magick::Image> pages;
    for (int i = 0; i < frames; ++i) {
        Magick::Image page(Magick::Geometry(60 + i, 40), Magick::Color(colours[i % 4]));
        page.resolutionUnits(Magick::PixelsPerInchResolution);
        page.density(Magick::Geometry(200, 200));
        page.depth(8);
        pages.push_back(page);
    }
    Magick::writeImages(pages.begin(), pages.end(), path.toUtf8().toStdString(), true);
    return path;
}

// A bilevel TIFF: black left half, white right half.
inline QString writeBilevel(const QString& path, int width = 64, int height = 32)
{
    Magick::Image page(Magick::Geometry(width, height), Magick::Color("white"));
    page.fillColor(Magick::Color("black"));
    page.draw(Magick::DrawableRectangle(0, 0, width / 2 - 1, height - 1));
    page.type(Magick::BilevelType);
    page.depth(1);
    page.resolutionUnits(Magick::PixelsPerInchResolution);
    page.density(Magick::Geometry(300, 300));
    page.write(path.toUtf8().toStdString());
    return path;
}

// Keeps the first half of path's bytes: a JPEG cut off in its data.
inline QString truncate(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.resize(file.size() / 2);
    return path;
}

} // namespace MergeTestFiles
