#include "MagickResolution.h"

#include <algorithm>
#include <cmath>

namespace MagickResolution {
namespace {

// Centimetre-based files hold whole pixels per metre, steps of 0.0254 dpi, and
// encoders truncate when converting: anything within one step (plus margin) of
// a whole number is that number.
constexpr double kCentimetreNoise = 0.03;

int toDpi(double value, bool perCentimetre)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return 0;
    if (!perCentimetre)
        return static_cast<int>(value);
    const double dpi = value * 2.54;
    const double nearest = std::round(dpi);
    if (std::fabs(dpi - nearest) < kCentimetreNoise)
        return static_cast<int>(nearest);
    return static_cast<int>(dpi);
}

} // namespace

void read(const Magick::Image& image, int& dpiX, int& dpiY)
{
    const bool perCentimetre = image.resolutionUnits() == Magick::PixelsPerCentimeterResolution;
    dpiX = toDpi(image.xResolution(), perCentimetre);
    dpiY = toDpi(image.yResolution(), perCentimetre);
}

void write(Magick::Image& image, int dpiX, int dpiY)
{
    image.resolutionUnits(Magick::PixelsPerInchResolution);
    image.density(Magick::Geometry(static_cast<size_t>(std::max(dpiX, 0)),
                                   static_cast<size_t>(std::max(dpiY, 0))));
}

} // namespace MagickResolution
