#include "ScanSession.h"

#include "QTwain.h"
#include "ScanFileName.h"

#include <QDebug>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// Moves the code on until the page's name is free, so nothing is overwritten.
void skipTakenNames(stScanNaming& naming)
{
    for (;;) {
        stScanNaming probe = naming;
        const QString path = scanFileName(probe, false);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return;
        qDebug().noquote() << "文件已存在，跳过编号" << path;
        ++naming.nextCode;
    }
}

} // namespace

ScanSession::ScanSession(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<stScanJob>();
    qRegisterMetaType<stScanResult>();
    m_thread.setObjectName(QStringLiteral("twain"));
    m_twain = new QTwain;
    m_twain->moveToThread(&m_thread);
    // Deleted on its own thread once the loop has ended: the release talks to
    // the manager, which must happen where every other call happened.
    connect(&m_thread, &QThread::finished, m_twain, &QObject::deleteLater);
    connect(
        m_twain, &QTwain::sourceMessageHandled, m_twain,
        [this](bool transferred, TW_UINT16 twMessage) { onSourceMessage(transferred, twMessage); });
    m_twain->pageHook = [this](const QString& path) { onPage(path); };
    m_thread.start();
}

ScanSession::~ScanSession()
{
    m_stopRequested = true;
    m_thread.quit();
    m_thread.wait();
}

void ScanSession::initialise(WId window)
{
    QMetaObject::invokeMethod(
        m_twain, [this, window] { install(window); }, Qt::QueuedConnection);
}

void ScanSession::startScan(const stScanJob& job)
{
    if (m_busy.exchange(true)) {
        stScanResult refused;
        refused.message = QStringLiteral("扫描正在进行，请稍候");
        emit scanFinished(refused);
        return;
    }
    m_stopRequested = false;
    QMetaObject::invokeMethod(
        m_twain, [this, job] { runScan(job); }, Qt::QueuedConnection);
}

void ScanSession::stopFeeder()
{
    m_stopRequested = true;
}

Qt::HANDLE ScanSession::lastCallbackThread() const
{
    return m_twain->callbackThread();
}

QList<TW_IDENTITY> ScanSession::sources() const
{
    QMutexLocker lock(&m_sourcesMutex);
    return m_sources;
}

void ScanSession::install(WId window)
{
    m_twain->setNativeParent(window);
    m_twain->initTwain();
    if (!m_twain->isLibraryLoaded()) {
        m_managerMissing = true;
        emit managerMissing(m_twain->triedManagers());
        return;
    }
    QStringList names;
    for (const TW_IDENTITY& source : m_twain->sources())
        names << QString::fromUtf8(source.ProductName);
    {
        QMutexLocker lock(&m_sourcesMutex);
        m_sources = m_twain->sources();
    }
    emit sourcesListed(names);
}

void ScanSession::runScan(const stScanJob& job)
{
    m_pages.clear();
    if (!m_twain->isLibraryLoaded()) {
        finish(false, QStringLiteral("加载扫描仪驱动失败：TWAINDSM.DLL"));
        return;
    }
    if (!m_twain->UseSource(job.deviceIndex)) {
        finish(false, QStringLiteral("没有可用的扫描仪"));
        return;
    }
    // A source left enabled by an earlier sequence would refuse to start.
    if (m_twain->isSourceEnabled())
        m_twain->DisableSource();
    if (!job.sourceOptions.isEmpty() && (m_twain->DSOpen() || m_twain->OpenSource())) {
        for (const QString& option : job.sourceOptions) {
            if (!m_twain->setSourceOption(option))
                qWarning().noquote() << "source option refused:" << option;
        }
    }

    m_twain->feeder = job.feeder;
    m_twain->duplex = job.duplex;
    m_twain->paperSize = job.paperSize;
    m_twain->pixelType = job.pixelType;
    m_twain->resolution = job.resolution;
    m_twain->orientation = job.orientation;
    m_twain->fileFormat = job.fileFormat;
    m_twain->compression = job.compression;
    m_twain->jpegQuality = job.jpegQuality;
    m_twain->showScannerUi = job.showUi;
    m_twain->scanNaming = job.naming;
    m_twain->beforePageHook = job.skipTakenNames ? skipTakenNames : nullptr;
    if (!m_twain->startScan(job.count))
        finish(false, QStringLiteral("扫描仪错误：无法启动扫描"));
    else
        m_acceptsMessages = m_twain->isLibraryLoaded() && m_twain->lastReturnCode() <= 5;
    // Otherwise the source's notification arrives later, through onSourceMessage.
}

void ScanSession::onSourceMessage(bool transferred, TW_UINT16 twMessage)
{
    if (!m_busy.load())
        return;
    if (twMessage == MSG_XFERREADY && transferred) {
        const bool ok = m_twain->lastCondition() == TWCC_SUCCESS;
        finish(ok, m_twain->lastError());
    } else if (twMessage == MSG_CLOSEDSREQ) {
        finish(false, QStringLiteral("扫描已取消"));
    }
}

void ScanSession::onPage(const QString& path)
{
    m_pages << path;
    emit pageArrived(path);
    if (m_stopRequested.exchange(false))
        m_twain->StopFeeder();
}

void ScanSession::finish(bool ok, const QString& message)
{
    stScanResult result;
    result.paths = m_pages;
    result.ok = ok;
    result.message = message;
    m_busy = false;
    m_acceptsMessages = false;
    emit scanFinished(result);
}

#ifdef Q_OS_WIN
bool ScanSession::offerNativeMessage(void* message)
{
    if (!m_acceptsMessages.load())
        return false;
    stTwainMessage record;
    record.nativeMessage = message;
    record.windowMessage = static_cast<const MSG*>(message)->message;
    bool transferred = false;
    TW_UINT16 twMessage = MSG_NULL;
    QMetaObject::invokeMethod(
        m_twain,
        [this, &record, &transferred, &twMessage] {
            transferred = m_twain->ProcessMessage(record);
            twMessage = transferred ? MSG_XFERREADY : MSG_NULL;
            if (!m_twain->isSourceOpen())
                twMessage = MSG_CLOSEDSREQ;
            if (twMessage != MSG_NULL)
                onSourceMessage(transferred, twMessage);
        },
        Qt::BlockingQueuedConnection);
    return transferred;
}
#endif
