#pragma once

#include "../TwainDefs.h"

#include <string>

// The temporary file a page is encoded into, in the folder of its target, and the
// rename that gives it its name without replacing anything. Whatever goes wrong,
// the temporary file does not outlive this object.
class ScanFileTarget
{
public:
    ScanFileTarget() = default;
    ~ScanFileTarget();
    ScanFileTarget(const ScanFileTarget&) = delete;
    ScanFileTarget& operator=(const ScanFileTarget&) = delete;

    // Creates ".tarvo-scan-XXXXXX" beside `path` (UTF-8). TWCC_SUCCESS, or
    // TWCC_BADVALUE (no file name), TWCC_FILEEXISTS (target taken), TWCC_DENIED
    // (folder missing or not writable) or TWCC_FILEWRITEERROR.
    TW_UINT16 open(const std::string& path);

    // The temporary file, open for writing; -1 before open() succeeds.
    int fd() const { return m_fd; }

    // Syncs and closes the finished file and moves it to the target's name:
    // TWCC_SUCCESS, TWCC_FILEEXISTS or TWCC_FILEWRITEERROR.
    TW_UINT16 publish();

    // Drops the temporary file.
    void discard();

private:
    TW_UINT16 rename();

    int m_dir = -1;
    int m_fd = -1;
    std::string m_name;     // the target's name in m_dir
    std::string m_tempName; // relative to m_dir; empty once renamed or dropped
};
