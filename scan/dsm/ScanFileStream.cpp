#include "ScanFileStream.h"

#include <unistd.h>

TW_UINT16 ScanFileStream::encoding(const ScanRaster& shape, const ScanFileRequest& request,
                                   int& compression, int& quality)
{
    compression = 0;
    quality = JfifWriter::quality(request.jpegQuality);
    switch (request.format) {
    case TWFF_BMP:
        return TWCC_SUCCESS;
    case TWFF_JFIF:
        return quality < 0 ? TWCC_BADVALUE : TWCC_SUCCESS;
    case TWFF_TIFF:
        compression = TiffWriter::compressionFor(shape, request.compression);
        if (compression < 0 ||
            (request.compression == TWCP_JPEG && quality < 0 && !shape.isLineArt()))
            return TWCC_BADVALUE;
        return TWCC_SUCCESS;
    default:
        return TWCC_BADVALUE;
    }
}

TW_UINT16 ScanFileStream::begin(const ScanFileRequest& request, int width, int height, int channels,
                                int bitsPerSample, double xDpi, double yDpi)
{
    if (m_stage != Stage::Idle)
        return TWCC_SEQERROR;
    m_stage = Stage::Failed; // until the encoder has started
    ScanRaster shape;
    shape.width = width;
    shape.height = height;
    shape.channels = channels;
    shape.bitsPerSample = bitsPerSample;
    shape.xDpi = xDpi;
    shape.yDpi = yDpi;
    const bool kind = (channels == 1 && (bitsPerSample == 1 || bitsPerSample == 8)) ||
                      (channels == 3 && bitsPerSample == 8);
    int compression = 0, quality = 0;
    if (!kind || width <= 0 || height <= 0 || !streams(request.format) ||
        encoding(shape, request, compression, quality) != TWCC_SUCCESS)
        return TWCC_BADVALUE;

    const TW_UINT16 opened = m_target.open(request.path);
    if (opened != TWCC_SUCCESS)
        return opened;
    m_format = request.format;
    bool started = false;
    if (m_format == TWFF_TIFF) {
        started = m_tiff.begin(shape, m_target.fd(), compression, quality);
    } else {
        const int own = dup(m_target.fd());
        m_out = own >= 0 ? fdopen(own, "wb") : nullptr;
        if (!m_out && own >= 0)
            close(own);
        // libjpeg hands its output over in 4 KiB pieces; a larger buffer saves
        // hundreds of write calls on every page.
        if (m_out)
            std::setvbuf(m_out, nullptr, _IOFBF, 1 << 18);
        started = m_out && m_jfif.begin(shape, m_out, quality);
    }
    if (!started) {
        abort();
        return TWCC_FILEWRITEERROR;
    }
    m_stage = Stage::Writing;
    return TWCC_SUCCESS;
}

bool ScanFileStream::row(const std::uint8_t* data)
{
    if (m_stage != Stage::Writing)
        return false;
    const bool ok = m_format == TWFF_TIFF ? m_tiff.row(data) : m_jfif.row(data);
    if (!ok)
        m_stage = Stage::Failed;
    return ok;
}

TW_UINT16 ScanFileStream::finish()
{
    if (m_stage != Stage::Writing) {
        abort();
        return TWCC_FILEWRITEERROR;
    }
    bool ok = m_format == TWFF_TIFF ? m_tiff.finish() : m_jfif.finish();
    if (m_out) {
        ok = std::fflush(m_out) == 0 && !std::ferror(m_out) && ok;
        ok = std::fclose(m_out) == 0 && ok;
        m_out = nullptr;
    }
    const TW_UINT16 result = ok ? m_target.publish() : TWCC_FILEWRITEERROR;
    if (result != TWCC_SUCCESS)
        m_target.discard();
    m_stage = Stage::Failed; // a stream writes one page
    return result;
}

void ScanFileStream::abort()
{
    if (m_out)
        std::fclose(m_out);
    m_out = nullptr;
    m_target.discard();
    if (m_stage == Stage::Writing)
        m_stage = Stage::Failed;
}
