#pragma once

// The manager itself: TWAIN states 1 to 3 (loaded, open), the application's
// identity, the list of sources (one per local SANE device) and the routing of
// every call addressed to the open source.

#include "SaneSource.h"
#include "SaneStatusMap.h"

#include <memory>
#include <string>
#include <vector>

class DsmManager
{
public:
    DsmManager() = default;
    ~DsmManager();
    DsmManager(const DsmManager&) = delete;
    DsmManager& operator=(const DsmManager&) = delete;

    TW_UINT16 entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                    TW_UINT16 msg, TW_MEMREF data);

private:
    struct Device
    {
        TW_IDENTITY identity;
        std::string saneName;
    };

    TW_UINT16 parent(TW_UINT16 msg, TW_IDENTITY* origin);
    TW_UINT16 identity(TW_UINT16 msg, TW_IDENTITY* id);
    TW_UINT16 openSource(TW_IDENTITY* id);
    TW_UINT16 closeSource(TW_IDENTITY* id);
    TW_UINT16 status(TW_UINT16 msg, TW_STATUS* out);
    TW_UINT16 fail(TW_UINT16 code, TW_UINT16 data = 0);
    void listDevices();
    const Device* known(const TW_IDENTITY* id) const;

    int m_state = 2;
    TW_IDENTITY m_application{};
    std::vector<Device> m_devices;
    size_t m_nextListed = 0;
    std::unique_ptr<SaneSource> m_source;
    TwainCondition m_status;
};
