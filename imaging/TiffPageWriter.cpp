#include "TiffPageWriter.h"

#include "LzwStripCoder.h"
#include "QuietTiff.h"

#include <QFile>
#include <algorithm>
#include <system_error>
#include <thread>
#include <tiffio.h>
#include <vector>

namespace {

// Bytes of pixel data per strip. LZW starts its table afresh in every strip,
// so strips of a few rows (libtiff's default is about 8 KB) compress clean
// paper far worse; much larger ones only cost memory when read.
const int kStripBytes = 512 * 1024;

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// Strips coded side by side; beyond four the disk, not the coding, sets the pace.
int coderThreads()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

// Codes the page's strips a group at a time (one per thread) and stores each
// group in order, so only one group's coded bytes are held.
bool writeLzwStrips(TIFF* tiff, const RasterFrame& frame, int rowsPerStrip)
{
    const int strips = (frame.height + rowsPerStrip - 1) / rowsPerStrip;
    const int threads = coderThreads();
    std::vector<QByteArray> coded(static_cast<size_t>(threads));
    std::vector<char> ok(static_cast<size_t>(threads));
    for (int first = 0; first < strips; first += threads) {
        const int count = std::min(threads, strips - first);
        const auto codeOne = [&](int k) {
            const int row = (first + k) * rowsPerStrip;
            ok[size_t(k)] = LzwStripCoder::code(
                frame, row, std::min(rowsPerStrip, frame.height - row), coded[size_t(k)]);
        };
        std::vector<std::thread> helpers;
        for (int k = 1; k < count; ++k) {
            try {
                helpers.emplace_back(codeOne, k);
            } catch (const std::system_error&) {
                codeOne(k); // no thread to be had: code it here
            }
        }
        codeOne(0);
        for (std::thread& helper : helpers)
            helper.join();
        for (int k = 0; k < count; ++k) {
            QByteArray& bytes = coded[size_t(k)];
            if (!ok[size_t(k)] ||
                TIFFWriteRawStrip(tiff, uint32_t(first + k), bytes.data(), bytes.size()) < 0)
                return false;
        }
    }
    return true;
}

// Uncompressed strips are the frame's rows as they stand.
bool writePlainStrips(TIFF* tiff, const RasterFrame& frame, int rowsPerStrip, int rowBytes)
{
    auto* pixels = const_cast<char*>(frame.pixels.constData());
    for (int row = 0, strip = 0; row < frame.height; row += rowsPerStrip, ++strip) {
        const int rows = std::min(rowsPerStrip, frame.height - row);
        if (TIFFWriteRawStrip(tiff, uint32_t(strip), pixels + qsizetype(row) * rowBytes,
                              tmsize_t(rows) * rowBytes) < 0)
            return false;
    }
    return true;
}

} // namespace

TiffPageWriter::~TiffPageWriter()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

bool TiffPageWriter::open(const QString& path, QString* error)
{
    m_path = path;
    m_pages = 0;
    m_tiff = QuietTiff::open(path, "w");
    return m_tiff ? true : fail(error, QStringLiteral("cannot open %1 for writing").arg(path));
}

bool TiffPageWriter::add(const RasterFrame& frame, QString* error)
{
    if (!m_tiff)
        return fail(error, QStringLiteral("not open"));
    const int rowBytes = frame.bytesPerRow();
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < qsizetype(rowBytes) * frame.height)
        return fail(error, QStringLiteral("empty page"));
    const bool bilevel = frame.bits == 1;
    TIFFSetField(m_tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(m_tiff, TIFFTAG_IMAGEWIDTH, uint32_t(frame.width));
    TIFFSetField(m_tiff, TIFFTAG_IMAGELENGTH, uint32_t(frame.height));
    TIFFSetField(m_tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(frame.bits));
    TIFFSetField(m_tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(frame.channels));
    TIFFSetField(m_tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    // Fax-coded pages are conventionally 0 = white; the frame's bits are 0 = black.
    TIFFSetField(m_tiff, TIFFTAG_PHOTOMETRIC,
                 bilevel                       ? PHOTOMETRIC_MINISWHITE
                 : frame.colourChannels() == 1 ? PHOTOMETRIC_MINISBLACK
                                               : PHOTOMETRIC_RGB);
    if (frame.hasAlpha()) {
        const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(m_tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (bilevel) {
        TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    } else if (!m_lzw) {
        TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    } else {
        // The predictor halves clean scans at about the same speed; on noisy
        // ones it costs a few per cent of size.
        TIFFSetField(m_tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(m_tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    }
    if (frame.dpiX > 0 && frame.dpiY > 0) {
        TIFFSetField(m_tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(m_tiff, TIFFTAG_XRESOLUTION, float(frame.dpiX));
        TIFFSetField(m_tiff, TIFFTAG_YRESOLUTION, float(frame.dpiY));
    }
    const int rowsPerStrip = qMax(1, kStripBytes / qMax(1, rowBytes));
    TIFFSetField(m_tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(rowsPerStrip));
    const QString failed =
        QStringLiteral("cannot write page %1 of %2").arg(m_pages + 1).arg(m_path);
    if (!bilevel) {
        const bool written = m_lzw ? writeLzwStrips(m_tiff, frame, rowsPerStrip)
                                   : writePlainStrips(m_tiff, frame, rowsPerStrip, rowBytes);
        if (!written)
            return fail(error, failed);
    } else {
        const auto* pixels = reinterpret_cast<const uchar*>(frame.pixels.constData());
        std::vector<uchar> row(static_cast<size_t>(rowBytes));
        for (int y = 0; y < frame.height; ++y) {
            // Fax coding reads 0 as white; the frame's 0 is black.
            std::transform(pixels + qsizetype(y) * rowBytes, pixels + qsizetype(y + 1) * rowBytes,
                           row.begin(), [](uchar byte) { return uchar(~byte); });
            if (TIFFWriteScanline(m_tiff, row.data(), uint32_t(y), 0) < 0)
                return fail(error, failed);
        }
    }
    if (!TIFFWriteDirectory(m_tiff))
        return fail(error, failed);
    ++m_pages;
    return true;
}

bool TiffPageWriter::close(QString* error)
{
    if (!m_tiff)
        return fail(error, QStringLiteral("not open"));
    const bool flushed = TIFFFlush(m_tiff) == 1;
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    return flushed ? true : fail(error, QStringLiteral("cannot finish %1").arg(m_path));
}
