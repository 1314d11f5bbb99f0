#pragma once

#include "ScanRaster.h"

#include <cstdio>
#include <memory>

// Encodes a page as a baseline JPEG with a JFIF header carrying the resolution in
// dots per inch, a row at a time. Colour pages are stored as colour, grey pages as
// grey; line art is expanded to grey (black 0, white 255) because JPEG has no
// one-bit form. No call ever exits the process, whatever libjpeg runs into.
class JfifWriter
{
public:
    // The libjpeg quality (0..100) for a TWAIN quality value: the named levels
    // map to 90, 75 and 50, an unknown level to 75, 0..100 is taken as it is.
    // Returns -1 for anything else.
    static int quality(int twainQuality);

    JfifWriter();
    ~JfifWriter();
    JfifWriter(const JfifWriter&) = delete;
    JfifWriter& operator=(const JfifWriter&) = delete;

    // Starts a page of shape's size, kind and resolution (its data is not read)
    // on an open stream. Every call returns false once the encoder has failed.
    bool begin(const ScanRaster& shape, std::FILE* out, int quality);
    // The next row, in the page's own layout (packed bits for line art).
    bool row(const std::uint8_t* data);
    // Ends the page once every row is in.
    bool finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
