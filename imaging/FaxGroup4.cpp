#include "FaxGroup4.h"

#include "SafeWrite.h"

#include <QFile>
#include <tiffio.h>
#include <vector>

namespace FaxGroup4 {
namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool writeStrip(const RasterFrame& frame, const QByteArray& name)
{
    TIFF* tiff = TIFFOpen(name.constData(), "w");
    if (!tiff)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(frame.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(frame.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(frame.height)); // one strip: one code stream
    const int rowBytes = frame.bytesPerRow();
    const auto* pixels = reinterpret_cast<const uchar*>(frame.pixels.constData());
    std::vector<uchar> row(static_cast<size_t>(rowBytes));
    bool ok = true;
    for (int y = 0; ok && y < frame.height; ++y) {
        // The coder's rows have black as 1.
        for (int x = 0; x < rowBytes; ++x)
            row[size_t(x)] = uchar(~pixels[qsizetype(y) * rowBytes + x]);
        ok = TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
    return ok;
}

bool readStrip(const QByteArray& name, QByteArray& coded)
{
    TIFF* tiff = TIFFOpen(name.constData(), "r");
    if (!tiff)
        return false;
    bool ok = TIFFNumberOfStrips(tiff) == 1;
    if (ok) {
        const tmsize_t size = TIFFRawStripSize(tiff, 0);
        coded.resize(qsizetype(size));
        ok = size > 0 && TIFFReadRawStrip(tiff, 0, coded.data(), size) == size;
    }
    TIFFClose(tiff);
    return ok;
}

} // namespace

bool encode(const RasterFrame& frame, const QString& scratchBeside, QByteArray& coded,
            QString* error)
{
    coded.clear();
    if (frame.bits != 1 || frame.channels != 1 || frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < qsizetype(frame.bytesPerRow()) * frame.height)
        return fail(error, QStringLiteral("not a bilevel page"));
    const QString scratch = SafeWrite::reserveTemporaryPath(scratchBeside + QStringLiteral(".tif"));
    if (scratch.isEmpty())
        return fail(error,
                    QStringLiteral("cannot create a scratch file beside %1").arg(scratchBeside));
    const QByteArray name = QFile::encodeName(scratch);
    const bool ok = writeStrip(frame, name) && readStrip(name, coded);
    QFile::remove(scratch);
    return ok ? true : fail(error, QStringLiteral("Group 4 coding failed"));
}

} // namespace FaxGroup4
