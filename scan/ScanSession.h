#pragma once

#include "stScanJob.h"
#include "stScanResult.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QtGui/qwindowdefs.h>
#include <atomic>

class QTwain;

// Runs the TWAIN connection on a thread of its own, so that loading the
// manager, probing devices and transferring pages never hold up the window.
// Every call returns at once; results come back as queued signals.
class ScanSession : public QObject
{
    Q_OBJECT
public:
    explicit ScanSession(QObject* parent = nullptr);
    // Waits for a running transfer to end, then releases the connection.
    ~ScanSession() override;

    // Loads the manager and lists the sources, with window (captured on the
    // GUI thread) as the parent the manager is opened with.
    void initialise(WId window);
    void startScan(const stScanJob& job);
    // Lets the page in progress finish, then stops the feeder.
    void stopFeeder();
    bool isBusy() const { return m_busy.load(); }
    // True once initialise found no manager (managerMissing was emitted).
    bool isManagerMissing() const { return m_managerMissing.load(); }
    // The sources found by initialise (valid once sourcesListed came).
    QList<TW_IDENTITY> sources() const;

    // For checks: the thread every TWAIN call runs on, and the one the
    // manager's last notification came from.
    QThread* twainThread() { return &m_thread; }
    Qt::HANDLE lastCallbackThread() const;

#ifdef Q_OS_WIN
    // The Windows path: the source speaks through the window's messages. Offers
    // one (a MSG*) to the source while a scan waits for it; true when a transfer
    // sequence ran. Called on the GUI thread; waits for the TWAIN thread.
    bool offerNativeMessage(void* message);
#endif

signals:
    void sourcesListed(const QStringList& productNames);
    void managerMissing(const QString& triedFiles);
    void pageArrived(const QString& path);
    void scanFinished(const stScanResult& result);

private:
    // On the TWAIN thread.
    void install(WId window);
    void runScan(const stScanJob& job);
    void onSourceMessage(bool transferred, TW_UINT16 twMessage);
    void onPage(const QString& path);
    void finish(bool ok, const QString& message);

    QThread m_thread;
    QTwain* m_twain = nullptr;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_managerMissing{false};
    // The manager is loaded and its last return code is at most 5: native
    // messages may be offered to it.
    std::atomic<bool> m_acceptsMessages{false};
    QStringList m_pages;
    mutable QMutex m_sourcesMutex;
    QList<TW_IDENTITY> m_sources;
};
