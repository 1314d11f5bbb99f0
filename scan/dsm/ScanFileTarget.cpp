#include "ScanFileTarget.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

} // namespace

ScanFileTarget::~ScanFileTarget()
{
    discard();
    if (m_dir >= 0)
        close(m_dir);
}

void ScanFileTarget::discard()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    if (!m_tempName.empty())
        unlinkat(m_dir, m_tempName.c_str(), 0);
    m_tempName.clear();
}

TW_UINT16 ScanFileTarget::open(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    m_name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (m_name.empty() || m_name == "." || m_name == ".." || path.find('\0') != std::string::npos)
        return TWCC_BADVALUE;

    m_dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dir < 0)
        return errno == ENAMETOOLONG ? TWCC_FILEWRITEERROR : TWCC_DENIED;
    if (faccessat(m_dir, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return TWCC_DENIED;

    struct stat existing;
    if (fstatat(m_dir, m_name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return TWCC_FILEEXISTS;
    if (errno == ENAMETOOLONG)
        return TWCC_FILEWRITEERROR;
    if (errno != ENOENT)
        return TWCC_DENIED;

    std::string temp = folder + "/.tarvo-scan-XXXXXX";
    m_fd = mkostemp(&temp[0], O_CLOEXEC);
    if (m_fd < 0)
        return deniedErrno(errno) ? TWCC_DENIED : TWCC_FILEWRITEERROR;
    m_tempName = temp.substr(temp.rfind('/') + 1);
    // mkstemp makes the file private; a page gets the mode any new file would.
    return fchmod(m_fd, 0666 & ~currentUmask()) == 0 ? TWCC_SUCCESS : TWCC_FILEWRITEERROR;
}

TW_UINT16 ScanFileTarget::publish()
{
    if (m_fd < 0 || fsync(m_fd) != 0)
        return TWCC_FILEWRITEERROR;
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0)
        return TWCC_FILEWRITEERROR;
    const TW_UINT16 result = rename();
    if (result == TWCC_SUCCESS)
        fsync(m_dir); // make the new name itself durable; a page is already complete
    return result;
}

// Moves the finished file to its name unless something already has that name.
TW_UINT16 ScanFileTarget::rename()
{
    const char* temp = m_tempName.c_str();
    if (renameat2(m_dir, temp, m_dir, m_name.c_str(), RENAME_NOREPLACE) == 0) {
        m_tempName.clear();
        return TWCC_SUCCESS;
    }
    if (errno == EEXIST)
        return TWCC_FILEEXISTS;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return TWCC_FILEWRITEERROR;
    // The file system cannot rename without replacing; a hard link never
    // replaces either, and the temporary name is dropped afterwards.
    if (linkat(m_dir, temp, m_dir, m_name.c_str(), 0) != 0)
        return errno == EEXIST ? TWCC_FILEEXISTS : TWCC_FILEWRITEERROR;
    unlinkat(m_dir, temp, 0);
    m_tempName.clear();
    return TWCC_SUCCESS;
}
