#include "ReaderThreads.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <iterator>
#include <thread>

std::vector<pid_t> ReaderThreads::current()
{
    std::vector<pid_t> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir)) {
            const long id = std::strtol(entry->d_name, nullptr, 10);
            if (id > 0)
                ids.push_back(pid_t(id));
        }
        closedir(dir);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

void ReaderThreads::beforeStart()
{
    m_before = current();
    m_started.clear();
}

void ReaderThreads::afterStart()
{
    const std::vector<pid_t> now = current();
    m_started.clear();
    std::set_difference(now.begin(), now.end(), m_before.begin(), m_before.end(),
                        std::back_inserter(m_started));
}

bool ReaderThreads::waitForEnd(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const std::vector<pid_t> now = current();
        const bool ended = std::none_of(m_started.begin(), m_started.end(), [&](pid_t id) {
            return std::binary_search(now.begin(), now.end(), id);
        });
        if (ended) {
            m_started.clear();
            return true;
        }
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}
