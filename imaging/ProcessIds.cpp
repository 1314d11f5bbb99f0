#include "ProcessIds.h"

#include <QCoreApplication>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace ProcessIds {

qint64 own()
{
#ifdef Q_OS_UNIX
    return ::getpid();
#else
    return QCoreApplication::applicationPid();
#endif
}

bool isGone(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#else
    Q_UNUSED(pid);
    return false;
#endif
}

} // namespace ProcessIds
