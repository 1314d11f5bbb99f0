#include "ScanFileWriter.h"

#include "BmpWriter.h"
#include "JfifWriter.h"
#include "TiffWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
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

// The process umask, read without changing it (umask() would, for every thread).
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            std::string value;
            status >> value;
            return mode_t(std::strtoul(value.c_str(), nullptr, 8)) & 0777;
        }
        status.ignore(1 << 12, '\n');
    }
    return 022;
}

bool deniedErrno(int e)
{
    return e == EACCES || e == EPERM || e == EROFS;
}

// Owns the folder descriptor and the temporary file; whatever goes wrong, the
// temporary file does not outlive the attempt.
struct Attempt
{
    int dir = -1;
    int fd = -1;
    std::string tempName; // relative to dir; empty once renamed into place

    ~Attempt()
    {
        if (fd >= 0)
            close(fd);
        if (!tempName.empty())
            unlinkat(dir, tempName.c_str(), 0);
        if (dir >= 0)
            close(dir);
    }
};

bool encode(const ScanRaster& page, const ScanFileRequest& request, int fd, int compression,
            int quality)
{
    if (request.format == TWFF_TIFF)
        return TiffWriter::write(page, fd, compression, quality);

    const int own = dup(fd);
    std::FILE* out = own >= 0 ? fdopen(own, "wb") : nullptr;
    if (!out) {
        if (own >= 0)
            close(own);
        return false;
    }
    const bool ok = request.format == TWFF_BMP ? BmpWriter::write(page, out)
                                               : JfifWriter::write(page, out, quality);
    const bool flushed = std::fflush(out) == 0 && !std::ferror(out);
    return std::fclose(out) == 0 && ok && flushed;
}

// Moves the finished file to its name unless something already has that name.
TW_UINT16 publish(Attempt& attempt, const std::string& name)
{
    const int dir = attempt.dir;
    const char* temp = attempt.tempName.c_str();
    if (renameat2(dir, temp, dir, name.c_str(), RENAME_NOREPLACE) == 0) {
        attempt.tempName.clear();
        return TWCC_SUCCESS;
    }
    if (errno == EEXIST)
        return TWCC_FILEEXISTS;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return TWCC_FILEWRITEERROR;
    // The file system cannot rename without replacing; a hard link never
    // replaces either, and the temporary name is dropped afterwards.
    if (linkat(dir, temp, dir, name.c_str(), 0) != 0)
        return errno == EEXIST ? TWCC_FILEEXISTS : TWCC_FILEWRITEERROR;
    unlinkat(dir, temp, 0);
    attempt.tempName.clear();
    return TWCC_SUCCESS;
}

} // namespace

TW_UINT16 writeScanFile(const ScanRaster& page, const ScanFileRequest& request)
{
    if (!validPage(page))
        return TWCC_BADVALUE;
    int compression = 0;
    int quality = JfifWriter::quality(request.jpegQuality);
    switch (request.format) {
    case TWFF_BMP:
        break;
    case TWFF_JFIF:
        if (quality < 0)
            return TWCC_BADVALUE;
        break;
    case TWFF_TIFF:
        compression = TiffWriter::compressionFor(page, request.compression);
        if (compression < 0 ||
            (request.compression == TWCP_JPEG && quality < 0 && !page.isLineArt()))
            return TWCC_BADVALUE;
        break;
    default:
        return TWCC_BADVALUE;
    }

    const std::size_t slash = request.path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : request.path.substr(0, slash);
    const std::string name =
        slash == std::string::npos ? request.path : request.path.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || request.path.find('\0') != std::string::npos)
        return TWCC_BADVALUE;

    Attempt attempt;
    attempt.dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (attempt.dir < 0)
        return errno == ENAMETOOLONG ? TWCC_FILEWRITEERROR : TWCC_DENIED;
    if (faccessat(attempt.dir, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return TWCC_DENIED;

    struct stat existing;
    if (fstatat(attempt.dir, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return TWCC_FILEEXISTS;
    if (errno == ENAMETOOLONG)
        return TWCC_FILEWRITEERROR;
    if (errno != ENOENT)
        return TWCC_DENIED;

    std::string temp = folder + "/.tarvo-scan-XXXXXX";
    attempt.fd = mkostemp(&temp[0], O_CLOEXEC);
    if (attempt.fd < 0)
        return deniedErrno(errno) ? TWCC_DENIED : TWCC_FILEWRITEERROR;
    attempt.tempName = temp.substr(temp.rfind('/') + 1);

    // mkstemp makes the file private; a page gets the mode any new file would.
    if (fchmod(attempt.fd, 0666 & ~currentUmask()) != 0 ||
        !encode(page, request, attempt.fd, compression, quality) || fsync(attempt.fd) != 0)
        return TWCC_FILEWRITEERROR;
    const int fd = attempt.fd;
    attempt.fd = -1;
    if (close(fd) != 0)
        return TWCC_FILEWRITEERROR;

    const TW_UINT16 result = publish(attempt, name);
    if (result == TWCC_SUCCESS)
        fsync(attempt.dir); // make the new name itself durable; a page is already complete
    return result;
}
