#include "LzwStripCoder.h"

#include "QuietTiff.h"

#include <cstring>
#include <tiffio.h>

namespace LzwStripCoder {
namespace {

// A growing in-memory file for libtiff's client interface.
struct MemoryFile
{
    QByteArray bytes;
    qint64 position = 0;
};

tmsize_t readBytes(thandle_t handle, void* data, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const qint64 count = qBound<qint64>(0, file->bytes.size() - file->position, size);
    std::memcpy(data, file->bytes.constData() + file->position, size_t(count));
    file->position += count;
    return tmsize_t(count);
}

tmsize_t writeBytes(thandle_t handle, void* data, tmsize_t size)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const qint64 end = file->position + size;
    if (end > file->bytes.size())
        file->bytes.resize(int(end));
    std::memcpy(file->bytes.data() + file->position, data, size_t(size));
    file->position = end;
    return size;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const qint64 base = whence == SEEK_CUR   ? file->position
                        : whence == SEEK_END ? file->bytes.size()
                                             : 0;
    file->position = base + qint64(offset);
    return toff_t(file->position);
}

int closeFile(thandle_t)
{
    return 0;
}

toff_t sizeOf(thandle_t handle)
{
    return toff_t(static_cast<MemoryFile*>(handle)->bytes.size());
}

int mapNothing(thandle_t, void**, toff_t*)
{
    return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

} // namespace

bool code(const RasterFrame& frame, int firstRow, int rows, QByteArray& out)
{
    out.clear();
    const int rowBytes = frame.bytesPerRow();
    if (frame.bits < 8 || rows <= 0 || firstRow < 0 || firstRow + rows > frame.height)
        return false;
    MemoryFile file;
    TIFF* tiff = TIFFClientOpenExt("strip", "w", &file, readBytes, writeBytes, seekTo, closeFile,
                                   sizeOf, mapNothing, unmapNothing, QuietTiff::options());
    if (!tiff)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(frame.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(rows));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(frame.bits));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(frame.channels));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 frame.colourChannels() == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    if (frame.hasAlpha()) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(rows));
    // The predictor may work in place, so the rows go through a copy.
    const qsizetype size = qsizetype(rowBytes) * rows;
    QByteArray scratch(frame.pixels.constData() + qsizetype(firstRow) * rowBytes, int(size));
    bool ok = TIFFWriteEncodedStrip(tiff, 0, scratch.data(), tmsize_t(size)) >= 0;
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    ok = ok && TIFFGetField(tiff, TIFFTAG_STRIPOFFSETS, &offsets) == 1 &&
         TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts) == 1 && offsets && counts &&
         offsets[0] + counts[0] <= uint64_t(file.bytes.size());
    if (ok)
        out = file.bytes.mid(int(offsets[0]), int(counts[0]));
    TIFFClose(tiff);
    return ok && !out.isEmpty();
}

} // namespace LzwStripCoder
