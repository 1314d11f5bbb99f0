// Stand-in for the page writers until they are built: writes the raster as a
// PNM file (whatever format was asked for) without ever replacing a file.

#include "ScanFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

TW_UINT16 writeScanFile(const ScanRaster& page, const ScanFileRequest& request)
{
    const int fd = ::open(request.path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return errno == EEXIST ? TWCC_FILEEXISTS
                               : (errno == EACCES ? TWCC_DENIED : TWCC_FILEWRITEERROR);
    const char* magic = page.isLineArt() ? "P4" : (page.channels == 3 ? "P6" : "P5");
    std::string header = std::string(magic) + "\n" + std::to_string(page.width) + " " +
                         std::to_string(page.height) + "\n" + (page.isLineArt() ? "" : "255\n");
    bool ok = ::write(fd, header.data(), header.size()) == ssize_t(header.size());
    ok = ok && ::write(fd, page.data.data(), page.data.size()) == ssize_t(page.data.size());
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(request.path.c_str());
        return TWCC_FILEWRITEERROR;
    }
    return TWCC_SUCCESS;
}

void rotateScanRaster(ScanRaster&, int) {}
