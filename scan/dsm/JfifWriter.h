#pragma once

#include "ScanRaster.h"

#include <cstdio>

// Encodes a page as a baseline JPEG with a JFIF header carrying the resolution in
// dots per inch. Colour pages are stored as colour, grey pages as grey; line art
// is expanded to grey (black 0, white 255) because JPEG has no one-bit form.
class JfifWriter
{
public:
    // The libjpeg quality (0..100) for a TWAIN quality value: the named levels
    // map to 90, 75 and 50, an unknown level to 75, 0..100 is taken as it is.
    // Returns -1 for anything else.
    static int quality(int twainQuality);

    // Writes to an open stream; false on an encoder or write error. Never exits
    // the process, whatever libjpeg runs into.
    static bool write(const ScanRaster& page, std::FILE* out, int quality);
};
