#pragma once

// The application's connection to a TWAIN data source manager: loads it, opens
// it, lists and opens sources, negotiates the scan settings, enables the source
// and, when the source says images are ready, transfers every pending image as
// a file named by scanFileName.

#include "TwainDefs.h"
#include "stScanNaming.h"

#include <QLibrary>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGui/qwindowdefs.h>
#include <atomic>
#include <functional>

// One message offered to ProcessMessage. On Windows it is the window's native
// message; elsewhere the source's notification arrives through the manager's
// callback and the record carries its TWMessage.
struct stTwainMessage
{
    void* nativeMessage = nullptr; // MSG* on Windows
    unsigned int windowMessage = 0;
    TW_UINT16 twMessage = MSG_NULL;
};

class CTwain
{
public:
    explicit CTwain(WId window = 0);
    virtual ~CTwain();

    virtual void GetIdentity();
    virtual bool SelectSource();
    virtual bool OpenSource(TW_IDENTITY* identity = nullptr);
    virtual int ShouldTransfer(TW_IMAGEINFO& info);
    virtual bool DisableSource();

    bool InitTwain(WId window);
    void ReleaseTwain();
    bool DSOpen() const;
    bool SelectDefaultSource();
    void CloseSource();
    bool SetCapOneValue(TW_UINT16 cap, int value, bool isSigned);
    bool SetCapBool(TW_UINT16 cap, bool value);
    bool SetCapFix32(TW_UINT16 cap, int value);
    bool Acquire(int count);
    bool EnableSource();
    bool ProcessMessage(const stTwainMessage& message);
    void TransferImages();
    bool EndTransfer();
    void EnumSources();
    TW_UINT16 GetImage();

    // Makes source index of sourceList the current one; an open source that is
    // another device is closed first, so the next Acquire opens the chosen one.
    bool UseSource(int index);
    // Asks a feeder to stop after the page in progress.
    bool StopFeeder();

    bool isLibraryLoaded() const { return m_library.isLoaded() && m_entry; }
    TW_UINT16 lastReturnCode() const { return m_returnCode; }
    const QList<TW_IDENTITY>& sources() const { return sourceList; }
    const TW_IDENTITY& currentSource() const { return m_source; }
    bool isSourceSelected() const { return m_sourceSelected; }
    bool isSourceOpen() const { return m_sourceOpen; }
    bool isSourceEnabled() const { return m_sourceEnabled; }
    // Every manager file tried by the last InitTwain, with the loader's reason.
    QString triedManagers() const { return m_triedManagers.join(QStringLiteral("\n")); }
    // The last transfer failure: a TWCC_ code and the operator's message
    // (TWCC_SUCCESS and empty when the last transfer sequence went through).
    TW_UINT16 lastCondition() const { return m_lastCondition; }
    QString lastError() const { return m_lastError; }
    // The thread the manager last called the notification callback on.
    Qt::HANDLE callbackThread() const { return m_callbackThread.load(); }

    // The operator's text for a TWAIN condition code.
    static QString conditionMessage(TW_UINT16 condition);
    // A text cut to fit a TW_STR32 without splitting a UTF-8 character.
    static void copyStr32(char* field, const QString& text);

    // Scan settings (the scanner panel's choices).
    int feeder = 0;
    int duplex = 0;
    int paperSize = 0;
    int pixelType = 0;
    int resolution = 0;
    int compression = 0;
    int fileFormat = -1;
    int jpegQuality = TWJQ_UNKNOWN;
    int orientation = TWOR_ROT270;
    bool showScannerUi = false;
    stScanNaming scanNaming;
    TW_INT16 transferCount = -1;
    QList<TW_IDENTITY> sourceList;
    QStringList acquiredFiles;

    // Optional hooks, on the thread that runs the transfer: before a page is
    // named (may move naming on) and after each page written to its file.
    std::function<void(stScanNaming&)> beforePageHook;
    std::function<void(const QString&)> pageHook;
    // Set by the owner to have a callback notification delivered to its thread;
    // it must only post, never call the manager.
    std::function<void(TW_UINT16)> notificationPoster;

protected:
    TW_UINT16 CallDSMEntry(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                           TW_MEMREF data);

    QLibrary m_library;
    DSMENTRYPROC m_entry = nullptr;
    TW_IDENTITY m_appIdentity{};
    TW_IDENTITY m_source{};
    TW_USERINTERFACE m_ui{};
    TW_UINT16 m_returnCode = TWRC_SUCCESS;
    WId m_window = 0;
    TW_HANDLE m_parentHandle = nullptr;
    bool m_sourceSelected = false;
    bool m_dsmOpen = false;
    bool m_sourceOpen = false;
    bool m_sourceEnabled = false;
    bool m_modalUi = true;

private:
    bool loadManager();
    void registerCallback();
    // Ends a transfer sequence that went wrong: reads the source's condition,
    // returns the source to state 4 so the next scan starts clean, and keeps
    // the operator's message.
    void abandonTransfer(const QString& fallbackMessage = QString());
    static TW_UINT16 notificationCallback(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg,
                                          TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

    QStringList m_triedManagers;
    TW_UINT16 m_lastCondition = TWCC_SUCCESS;
    QString m_lastError;
    std::atomic<Qt::HANDLE> m_callbackThread{nullptr};
};
