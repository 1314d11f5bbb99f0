// The one symbol this library exports. Calls are serialised: an application may
// call from any thread, and the notifier thread never takes this lock, so
// joining it while holding the lock cannot deadlock.

#include "DsmCallGuard.h"
#include "DsmManager.h"

#include <cstdio>
#include <mutex>
#include <signal.h>

namespace {

std::mutex g_lock;
thread_local bool t_insideEntry = false;

DsmManager& manager()
{
    static DsmManager instance;
    return instance;
}

} // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin,
                                                                      TW_IDENTITY* dest,
                                                                      TW_UINT32 dg, TW_UINT16 dat,
                                                                      TW_UINT16 msg, TW_MEMREF data)
{
    if (t_insideDsmCallback || t_insideEntry) {
        std::fprintf(stderr,
                     "tarvo-twaindsm: call (DG %u DAT 0x%04x MSG 0x%04x) refused: made from inside "
                     "a callback of this manager\n",
                     unsigned(dg), unsigned(dat), unsigned(msg));
        return TWRC_FAILURE;
    }
    // SANE backends hand data over through pipes from reader threads they start
    // in sane_start, and stop them by closing the pipe. Those threads inherit this
    // mask, so their last write fails with EPIPE instead of killing the process,
    // without changing the application's own SIGPIPE handling.
    sigset_t pipe, previous;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    TW_UINT16 rc;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        t_insideEntry = true;
        rc = manager().entry(origin, dest, dg, dat, msg, data);
        t_insideEntry = false;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return rc;
}
