#include "ScanFileWriter.h"

#include "BmpWriter.h"
#include "ScanFileStream.h"
#include "ScanFileTarget.h"

#include <cstdio>
#include <unistd.h>

namespace {

bool validPage(const ScanRaster& page)
{
    const bool kind =
        (page.channels == 1 && (page.bitsPerSample == 1 || page.bitsPerSample == 8)) ||
        (page.channels == 3 && page.bitsPerSample == 8);
    if (!kind || page.width <= 0 || page.height <= 0 || page.bytesPerLine <= 0)
        return false;
    const std::size_t needed =
        (std::size_t(page.width) * page.channels * page.bitsPerSample + 7) / 8;
    return std::size_t(page.bytesPerLine) >= needed &&
           page.data.size() / std::size_t(page.bytesPerLine) >= std::size_t(page.height);
}

TW_UINT16 writeBmp(const ScanRaster& page, const std::string& path)
{
    ScanFileTarget target;
    const TW_UINT16 opened = target.open(path);
    if (opened != TWCC_SUCCESS)
        return opened;
    const int own = dup(target.fd());
    std::FILE* out = own >= 0 ? fdopen(own, "wb") : nullptr;
    if (!out) {
        if (own >= 0)
            close(own);
        return TWCC_FILEWRITEERROR;
    }
    bool ok = BmpWriter::write(page, out);
    ok = std::fflush(out) == 0 && !std::ferror(out) && ok;
    ok = std::fclose(out) == 0 && ok;
    return ok ? target.publish() : TWCC_FILEWRITEERROR;
}

} // namespace

TW_UINT16 writeScanFile(const ScanRaster& page, const ScanFileRequest& request)
{
    int compression = 0, quality = 0;
    if (!validPage(page) ||
        ScanFileStream::encoding(page, request, compression, quality) != TWCC_SUCCESS)
        return TWCC_BADVALUE;
    if (request.format == TWFF_BMP)
        return writeBmp(page, request.path);

    // The same path a page takes when it is written while it is scanned.
    ScanFileStream stream;
    const TW_UINT16 begun = stream.begin(request, page.width, page.height, page.channels,
                                         page.bitsPerSample, page.xDpi, page.yDpi);
    if (begun != TWCC_SUCCESS)
        return begun;
    for (int y = 0; y < page.height; ++y) {
        if (!stream.row(page.data.data() + std::size_t(y) * page.bytesPerLine))
            break;
    }
    return stream.finish();
}
