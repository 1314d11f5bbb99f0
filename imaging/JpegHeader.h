#pragma once

#include <QString>

// What a PDF needs to carry a JPEG file's bytes unchanged as a DCT stream,
// read from its markers without decoding: the frame's size and components,
// the Adobe marker (whose CMYK data is stored inverted), the resolution of the
// JFIF or EXIF header and the EXIF orientation. A file cut off before its end
// marker counts as damaged.
struct JpegHeader
{
    bool complete = false; // frame header found and the end-of-image marker present
    int width = 0;
    int height = 0;
    int components = 0; // 1 grey, 3 colour, 4 CMYK
    int precision = 0;  // bits per sample; PDF readers take 8 only
    bool adobe = false;
    int orientation = 1; // EXIF 1..8
    int dpiX = 0;        // 0 when the file records none
    int dpiY = 0;

    // Reads the markers of path. False for anything that is not a JPEG file.
    static bool inspect(const QString& path, JpegHeader& out);
    // Whether a file of this name is taken as JPEG ("jpg", "jpeg", any case).
    static bool hasJpegSuffix(const QString& path);
};
