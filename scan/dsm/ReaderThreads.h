#pragma once

// The threads a SANE backend starts for a page. Backends built on SANE's thread
// helper run a reader thread that writes the page into a pipe, and stop it with an
// asynchronous thread cancel when the page ends or is cancelled. A cancel that
// lands while the reader is inside free() or strerror() leaves a C library lock
// held for good: the reader then hangs on its own exit (and sane_cancel with it),
// or the next locale change anywhere in the process never returns. Letting the
// reader end on its own before the backend cancels it takes that away.

#include <sys/types.h>
#include <vector>

class ReaderThreads
{
public:
    // Around the call that starts a frame: the threads that appear in between are
    // taken to be the backend's (another thread of the application that happens to
    // start then only costs a bounded wait).
    void beforeStart();
    void afterStart();

    // Waits until those threads have ended, at most `ms` milliseconds; true when
    // they all have. A reader still blocked on a full pipe does not end.
    bool waitForEnd(int ms);

    // Bytes a pipe holds without blocking the writer: a reader whose rest of the
    // page fits in it can finish on its own.
    static constexpr long kPipeBytes = 65536;

private:
    static std::vector<pid_t> current();

    std::vector<pid_t> m_before;
    std::vector<pid_t> m_started;
};
