#include "TiffFrameReader.h"

#include "PageFile.h"
#include "QuietTiff.h"

#include <QFile>
#include <climits>
#include <cmath>
#include <tiffio.h>

namespace TiffFrameReader {
namespace {

Status fail(Status status, QString* error, const QString& why)
{
    if (error)
        *error = why;
    return status;
}

// Dots per inch as the general reader gives them: truncated, and a
// per-centimetre value within rounding of a whole number taken as that number.
int toDpi(float value, bool perCentimetre)
{
    if (!(value > 0.0f) || !std::isfinite(value))
        return 0;
    if (!perCentimetre)
        return int(value);
    const double dpi = double(value) * 2.54;
    const double nearest = std::round(dpi);
    return std::fabs(dpi - nearest) < 0.03 ? int(nearest) : int(dpi);
}

// Whether the current directory is one this reader decodes exactly.
bool plain(TIFF* tiff, uint16_t& bits, uint16_t& samples, uint16_t& photometric)
{
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint16_t format = SAMPLEFORMAT_UINT;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1 || TIFFIsTiled(tiff))
        return false;
    if (planar != PLANARCONFIG_CONTIG || format != SAMPLEFORMAT_UINT ||
        orientation != ORIENTATION_TOPLEFT || compression == COMPRESSION_OJPEG ||
        compression == COMPRESSION_JPEG)
        return false;
    if (samples == 1 && bits == 1)
        return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    if (bits != 8 && bits != 16)
        return false;
    return (samples == 1 && photometric == PHOTOMETRIC_MINISBLACK) ||
           (samples == 3 && photometric == PHOTOMETRIC_RGB);
}

void readResolution(TIFF* tiff, const QString& path, RasterFrame& out)
{
    float x = 0;
    float y = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) == 1 &&
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) == 1) {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
        out.dpiX = toDpi(x, unit == RESUNIT_CENTIMETER);
        out.dpiY = toDpi(y, unit == RESUNIT_CENTIMETER);
        return;
    }
    // No resolution recorded: whatever the header reader makes of it.
    const PageInfo info = PageFile::readInfo(path);
    out.dpiX = info.dpiX;
    out.dpiY = info.dpiY;
}

} // namespace

Status read(const QString& path, int index, RasterFrame& out, QString* error)
{
    out = RasterFrame();
    TIFF* tiff = QuietTiff::open(path, "r");
    if (!tiff)
        return Status::NotHandled;
    uint16_t bits = 0;
    uint16_t samples = 0;
    uint16_t photometric = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!TIFFSetDirectory(tiff, tdir_t(index)) || !plain(tiff, bits, samples, photometric) ||
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) != 1 || width == 0 || height == 0) {
        TIFFClose(tiff);
        return Status::NotHandled;
    }
    RasterFrame frame;
    frame.width = int(width);
    frame.height = int(height);
    frame.channels = samples;
    frame.bits = bits;
    const qint64 rowBytes = frame.bytesPerRow();
    if (width > INT_MAX / 64 || rowBytes * height >= INT_MAX ||
        TIFFScanlineSize64(tiff) != uint64_t(rowBytes)) {
        TIFFClose(tiff);
        return Status::NotHandled;
    }
    frame.pixels = QByteArray(int(rowBytes * height), Qt::Uninitialized);
    auto* pixels = reinterpret_cast<uchar*>(frame.pixels.data());
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tiff, pixels + qint64(y) * rowBytes, y) < 0) {
            TIFFClose(tiff);
            return fail(Status::Damaged, error,
                        QStringLiteral("TIFF data damaged in frame %1").arg(index + 1));
        }
    }
    // Fax pages store 0 as white; the frame's 0 is black.
    if (bits == 1 && photometric == PHOTOMETRIC_MINISWHITE) {
        for (char& byte : frame.pixels)
            byte = char(~byte);
    }
    readResolution(tiff, path, frame);
    TIFFClose(tiff);
    out = std::move(frame);
    return Status::Read;
}

} // namespace TiffFrameReader
