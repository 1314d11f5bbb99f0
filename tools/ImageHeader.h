#pragma once

#include <QString>

// What the statistics need of an image, read from its header alone: the pixel
// data is never decoded, so thousands of files go by in a second. JPEG, PNG
// and classic TIFF are parsed here; anything else goes through ImageMagick's
// ping, which also reads headers only.
struct ImageHeader
{
    bool valid = false;
    int width = 0;
    int height = 0;
    // Dots per inch; 0 when the file states none.
    double xDpi = 0;
    double yDpi = 0;
    // Bits per sample and samples per pixel.
    int depth = 0;
    int channels = 0;
    // Frames of a multi-page file (TIFF directories); 1 otherwise.
    int pages = 1;

    static ImageHeader read(const QString& path);
};
