#pragma once

// One open SANE device as a TWAIN source, from "open" (state 4) through
// "enabled" (5), "transfer ready" (6) and "transferring" (7). Every call runs
// under the manager's lock; only the notifier thread runs outside it, and it
// touches nothing but its own copies.

#include "ReaderThreads.h"
#include "SaneOptions.h"
#include "SaneStatusMap.h"
#include "ScanRaster.h"
#include "SourceCapabilities.h"

#include <memory>
#include <optional>
#include <thread>

class SaneSource
{
public:
    SaneSource(SANE_Handle handle, const TW_IDENTITY& identity, const TW_IDENTITY& application);
    ~SaneSource();
    SaneSource(const SaneSource&) = delete;
    SaneSource& operator=(const SaneSource&) = delete;

    const TW_IDENTITY& identity() const { return m_identity; }
    int state() const { return m_state; }
    TW_UINT16 dispatch(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

private:
    TW_UINT16 userInterface(TW_UINT16 msg, TW_USERINTERFACE* ui);
    TW_UINT16 processEvent(TW_UINT16 msg, TW_EVENT* event);
    TW_UINT16 registerCallback(TW_UINT16 msg, TW_CALLBACK2* callback);
    TW_UINT16 capability(TW_UINT16 msg, TW_CAPABILITY* cap);
    TW_UINT16 pendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending);
    TW_UINT16 setupFileTransfer(TW_UINT16 msg, TW_SETUPFILEXFER* setup);
    TW_UINT16 imageInfo(TW_UINT16 msg, TW_IMAGEINFO* info);
    TW_UINT16 imageFileTransfer(TW_UINT16 msg);
    TW_UINT16 status(TW_UINT16 msg, TW_STATUS* status);

    TW_UINT16 fail(TW_UINT16 code, TW_UINT16 data = 0);
    TW_UINT16 failSane(SANE_Status status);
    SANE_Status startPage();
    SANE_Status startDevice();
    TW_UINT16 pendingCount() const;
    void cancelPage(bool unread);
    void endJob();
    void stopNotifier();
    double resolution(bool vertical) const;

    SANE_Handle m_handle;
    ReaderThreads m_readers;
    TW_IDENTITY m_identity;
    TW_IDENTITY m_application;
    SaneOptions m_options;
    SourceCapabilities m_caps;
    int m_state = 4;
    TwainCondition m_status;

    TW_MEMREF m_callbackProc = nullptr;
    TW_UINTPTR m_callbackRefCon = 0;
    std::thread m_notifier;
    bool m_readyUnannounced = false; // XFERREADY owed through MSG_PROCESSEVENT

    TW_SETUPFILEXFER m_setup;
    bool m_feederJob = false;
    bool m_pageStarted = false;                  // sane_start done for the pending page
    SANE_Status m_startError = SANE_STATUS_GOOD; // a failed start kept for DAT_IMAGEINFO
    bool m_jobFailed = false;
    bool m_stopFeeder = false;
    int m_delivered = 0;
    double m_pageXDpi = 0; // resolution of the page started last
    double m_pageYDpi = 0;
    std::optional<ScanRaster> m_heldPage;    // read but not yet written
    std::vector<std::uint8_t> m_spareBuffer; // the last written page's memory, for the next
};
