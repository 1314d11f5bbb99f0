#include "CTwain.h"

#include "ScanFileName.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QThread>
#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned int kWmParentNotify = 0x0210;

// Where the manager may be, in the order tried: the one named by the
// environment, ours beside the executable, then the system's TWAIN manager.
QStringList managerCandidates()
{
    QStringList files;
    const QString named = qEnvironmentVariable("TARVO_TWAIN_DSM");
    if (!named.isEmpty())
        files << named;
    files << QCoreApplication::applicationDirPath() + QStringLiteral("/libtarvo-twaindsm.so");
    files << QStringLiteral("libtwaindsm.so.2");
    return files;
}

} // namespace

CTwain::CTwain(WId window)
{
    if (window) {
        qDebug() << "在构造函数中安装Twain";
        InitTwain(window);
    }
}

CTwain::~CTwain()
{
    ReleaseTwain();
}

void CTwain::GetIdentity()
{
    m_appIdentity.Id = 0;
    m_appIdentity.Version.MajorNum = 1;
    m_appIdentity.Version.MinorNum = 0;
    m_appIdentity.Version.Language = TWLG_USA;
    m_appIdentity.Version.Country = TWCY_USA;
    copyStr32(m_appIdentity.Version.Info, QStringLiteral("1.0"));
    m_appIdentity.ProtocolMajor = 2;
    m_appIdentity.ProtocolMinor = 5;
    m_appIdentity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    copyStr32(m_appIdentity.Manufacturer, QStringLiteral("Tarvo"));
    copyStr32(m_appIdentity.ProductFamily, QStringLiteral("Generic"));
    copyStr32(m_appIdentity.ProductName, QStringLiteral("Tarvo影像扫描加工系统"));
}

void CTwain::copyStr32(char* field, const QString& text)
{
    constexpr int kMax = sizeof(TW_STR32) - 1;
    std::memset(field, 0, sizeof(TW_STR32));
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > kMax) {
        int cut = kMax;
        // Back off continuation bytes so the last character stays whole.
        while (cut > 0 && (static_cast<unsigned char>(bytes.at(cut)) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool CTwain::SelectSource()
{
    qDebug() << "****************开始选择数据源****************";
    std::memset(&m_source, 0, sizeof m_source);
    if (!m_sourceSelected)
        SelectDefaultSource();
    if (CallDSMEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &m_source) ==
        TWRC_SUCCESS) {
        m_sourceSelected = true;
        qDebug() << "成功应用所选的数据源";
    } else {
        m_sourceSelected = false;
        qDebug() << "应用所选的数据源失败";
    }
    qDebug() << "****************结束选择数据源****************";
    return m_sourceSelected;
}

bool CTwain::OpenSource(TW_IDENTITY* identity)
{
    if (identity)
        m_source = *identity;
    if (m_dsmOpen) {
        qDebug() << "xxxxxxxxxxx";
        if (!m_sourceSelected)
            SelectDefaultSource();
        m_sourceOpen =
            CallDSMEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_source) == TWRC_SUCCESS;
#ifndef Q_OS_WIN
        if (m_sourceOpen)
            registerCallback();
#endif
    }
    return DSOpen();
}

int CTwain::ShouldTransfer(TW_IMAGEINFO&)
{
    return 0;
}

bool CTwain::DisableSource()
{
    if (!m_sourceEnabled) {
        qDebug() << "数据源目前的状态是不可用，不用再次禁用";
        return false;
    }
    if (CallDSMEntry(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &m_ui) ==
        TWRC_SUCCESS) {
        m_sourceEnabled = false;
        qDebug() << "禁用数据源成功";
        return true;
    }
    qDebug() << "禁用数据源失败";
    return false;
}

bool CTwain::loadManager()
{
    m_triedManagers.clear();
    for (const QString& file : managerCandidates()) {
        m_library.setFileName(file);
        if (m_library.load())
            return true;
        const QString reason = m_library.errorString();
        m_triedManagers << file + QStringLiteral(": ") + reason;
        qWarning().noquote() << "加载twain_32.dll失败" << file << reason;
    }
    return false;
}

bool CTwain::InitTwain(WId window)
{
    qDebug() << "****************开始安装Twain****************";
    if (isLibraryLoaded())
        return true;
    std::memset(&m_appIdentity, 0, sizeof m_appIdentity);
    // There is no window check to make here beyond having one at all.
    if (!window)
        return false;
    m_window = window;
    m_parentHandle = reinterpret_cast<TW_HANDLE>(window);
    if (loadManager()) {
        qDebug() << "已载入有效扫描驱动";
        m_entry = reinterpret_cast<DSMENTRYPROC>(m_library.resolve("DSM_Entry"));
        if (m_entry) {
            qDebug() << "获取数据源管理器入口成功";
        } else {
            qDebug() << "获取数据源管理器入口失败";
            m_triedManagers << m_library.fileName() + QStringLiteral(": no DSM_Entry");
            m_library.unload();
        }
    }
    if (!isLibraryLoaded()) {
        qDebug() << "****************结束安装Twain****************";
        return false;
    }
    GetIdentity();
    m_dsmOpen =
        CallDSMEntry(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &m_parentHandle) == TWRC_SUCCESS;
    if (!m_dsmOpen) {
        qDebug() << "初始化Twain接口：打开数据源管理器失败";
        qDebug() << "****************结束安装Twain****************";
        return false;
    }
    qDebug() << "初始化Twain接口：打开数据源管理器成功";
    EnumSources();
    qDebug() << "****************结束安装Twain****************";
    return true;
}

void CTwain::ReleaseTwain()
{
    qDebug() << "****************开始析构Twain****************";
    if (m_library.isLoaded()) {
        qDebug() << "****************开始关闭数据源管理器****************";
        if (m_dsmOpen) {
            CloseSource();
            qDebug() << "执行关闭数据源管理器";
            CallDSMEntry(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &m_parentHandle);
            m_dsmOpen = false;
        }
        qDebug() << "****************结束关闭数据源管理器****************";
    }
    m_library.unload();
    m_entry = nullptr;
    sourceList.clear();
    qDebug() << "****************结束析构Twain****************";
}

bool CTwain::DSOpen() const
{
    const bool loaded = m_library.isLoaded();
    const bool entry = m_entry != nullptr;
    qDebug() << "CTwain::DSOpen" << loaded << entry << m_dsmOpen;
    return loaded && entry && m_dsmOpen && m_sourceOpen;
}

bool CTwain::SelectDefaultSource()
{
    qDebug() << "未选择数据源，使用默认的数据源";
    m_sourceSelected =
        CallDSMEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &m_source) == TWRC_SUCCESS;
    qDebug() << (m_sourceSelected ? "使用默认的数据源成功" : "使用默认的数据源失败");
    return m_sourceSelected;
}

void CTwain::CloseSource()
{
    qDebug() << "****************开始关闭数据源****************";
    if (DSOpen()) {
        DisableSource();
        qDebug() << "关闭数据源";
        CallDSMEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source);
        m_sourceOpen = false;
    }
    qDebug() << "****************结束关闭数据源****************";
}

bool CTwain::SetCapOneValue(TW_UINT16 cap, int value, bool isSigned)
{
    if (!DSOpen())
        return false;
    auto* one = static_cast<TW_ONEVALUE*>(std::calloc(1, sizeof(TW_ONEVALUE)));
    if (!one)
        return false;
    one->ItemType = isSigned ? TWTY_INT16 : TWTY_UINT16;
    one->Item = static_cast<TW_UINT16>(value);
    TW_CAPABILITY capability{cap, TWON_ONEVALUE, one};
    const bool ok =
        CallDSMEntry(&m_source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) == TWRC_SUCCESS;
    std::free(one);
    return ok;
}

bool CTwain::SetCapBool(TW_UINT16 cap, bool value)
{
    if (!DSOpen())
        return false;
    auto* one = static_cast<TW_ONEVALUE*>(std::calloc(1, sizeof(TW_ONEVALUE)));
    if (!one)
        return false;
    one->ItemType = TWTY_BOOL;
    one->Item = value ? 1 : 0;
    TW_CAPABILITY capability{cap, TWON_ONEVALUE, one};
    const bool ok =
        CallDSMEntry(&m_source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) == TWRC_SUCCESS;
    std::free(one);
    return ok;
}

bool CTwain::SetCapFix32(TW_UINT16 cap, int value)
{
    if (!DSOpen())
        return false;
    auto* one = static_cast<TW_ONEVALUE*>(std::calloc(1, sizeof(TW_ONEVALUE)));
    if (!one)
        return false;
    one->ItemType = TWTY_FIX32;
    // Whole is the low half of the item, Frac the high one.
    one->Item = static_cast<TW_UINT32>(value);
    TW_CAPABILITY capability{cap, TWON_ONEVALUE, one};
    const bool ok =
        CallDSMEntry(&m_source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) == TWRC_SUCCESS;
    std::free(one);
    return ok;
}

bool CTwain::Acquire(int count)
{
    qDebug() << "****************开始启动扫描****************";
    if (!DSOpen() && !OpenSource())
        return false;

    SetCapBool(CAP_FEEDERENABLED, feeder == 1);
    SetCapBool(CAP_DUPLEXENABLED, duplex == 1);
    SetCapOneValue(ICAP_ORIENTATION, orientation, false);
    SetCapOneValue(ICAP_SUPPORTEDSIZES, paperSize, false);
    SetCapOneValue(ICAP_PIXELTYPE, pixelType, false);
    SetCapOneValue(ICAP_IMAGEFILEFORMAT, fileFormat, false);
    SetCapFix32(ICAP_XRESOLUTION, resolution);
    SetCapFix32(ICAP_YRESOLUTION, resolution);
    SetCapOneValue(ICAP_XFERMECH, TWSX_FILE, false);
    SetCapOneValue(ICAP_COMPRESSION, compression, false);
    SetCapOneValue(ICAP_JPEGQUALITY, jpegQuality, true);

    int finalCount = count;
    if (!SetCapOneValue(CAP_XFERCOUNT, count, true)) {
        if (m_returnCode != TWRC_CHECKSTATUS)
            return false;
        // The source took another value: use the one it reports.
        TW_CAPABILITY capability{CAP_XFERCOUNT, TWON_DONTCARE16, nullptr};
        if (CallDSMEntry(&m_source, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability) !=
            TWRC_SUCCESS)
            return false;
        const bool oneValue = capability.ConType == TWON_ONEVALUE && capability.hContainer;
        if (oneValue)
            finalCount = static_cast<TW_INT16>(
                static_cast<TW_ONEVALUE*>(capability.hContainer)->Item & 0xFFFF);
        std::free(capability.hContainer);
        if (!oneValue || !SetCapOneValue(CAP_XFERCOUNT, finalCount, false))
            return false;
    }
    transferCount = static_cast<TW_INT16>(finalCount);
    qDebug() << "****************开始使数据源可用****************";
    if (EnableSource())
        return true;
    qDebug() << "启用扫描源失败";
    return false;
}

bool CTwain::EnableSource()
{
    if (!DSOpen() || m_sourceEnabled)
        return false;
    m_ui.ShowUI = showScannerUi ? 1 : 0;
    m_ui.hParent = m_parentHandle;
    if (CallDSMEntry(&m_source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &m_ui) ==
        TWRC_SUCCESS) {
        m_sourceEnabled = true;
        m_modalUi = m_ui.ModalUI != 0;
        qDebug() << "启用数据源成功 EnableSource";
        return true;
    }
    m_sourceEnabled = false;
    m_modalUi = true;
    qDebug() << "启用数据源失败 EnableSource";
    return false;
}

bool CTwain::ProcessMessage(const stTwainMessage& message)
{
    if (message.windowMessage == kWmParentNotify || !m_window || !m_sourceEnabled || !m_entry)
        return false;
#ifdef Q_OS_WIN
    TW_EVENT event{message.nativeMessage, MSG_NULL};
    const TW_UINT16 rc = CallDSMEntry(&m_source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    const TW_UINT16 twMessage = event.TWMessage;
    qDebug() << "eventId is :" << (rc == TWRC_SUCCESS) << message.windowMessage << twMessage;
#else
    // The manager's callback already said what the source wants.
    const TW_UINT16 twMessage = message.twMessage;
    qDebug() << "eventId is :" << true << message.windowMessage << twMessage;
#endif
    switch (twMessage) {
    case MSG_XFERREADY:
        TransferImages();
        return true;
    case MSG_CLOSEDSREQ:
        CloseSource();
        return false;
    default:
        return false;
    }
}

void CTwain::TransferImages()
{
    acquiredFiles.clear();
    m_lastCondition = TWCC_SUCCESS;
    m_lastError.clear();
    qDebug() << "****************根据图像的状态传输图像或取消传输****************";
    bool pending = true;
    while (pending) {
        qDebug() << "****************开始获取图片信息****************";
        if (!m_sourceEnabled) {
            qDebug() << "GetImageInfo failed";
            break;
        }
        TW_IMAGEINFO info{};
        if (CallDSMEntry(&m_source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) {
            qDebug() << "获取即将传输的图片信息失败";
            qDebug() << "GetImageInfo failed";
            abandonTransfer();
            break;
        }
        qDebug() << "成功获取即将传输的图片信息";
        if (fileFormat < 0) {
            qDebug() << "err scan file format";
            abandonTransfer(QStringLiteral("扫描仪错误：未设置文件格式"));
            break;
        }

        if (beforePageHook)
            beforePageHook(scanNaming);
        const QString path = scanFileName(scanNaming, true);
        TW_SETUPFILEXFER setup{};
        const QByteArray fileName = QFile::encodeName(path);
        // A cut path would name another file: refuse it instead.
        if (fileName.size() >= static_cast<int>(sizeof setup.FileName)) {
            qDebug().noquote() << "set scan file failed:" << path;
            abandonTransfer(QStringLiteral("扫描仪错误：文件路径过长"));
            break;
        }
        std::memcpy(setup.FileName, fileName.constData(), static_cast<size_t>(fileName.size()));
        setup.Format = static_cast<TW_UINT16>(fileFormat);
        setup.VRefNum = 0;
        if (CallDSMEntry(&m_source, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) !=
            TWRC_SUCCESS) {
            // The source would write the page to the previous path.
            qDebug().noquote() << "set scan file failed:" << path;
            abandonTransfer();
            break;
        }
        qDebug().noquote() << "set scan file successed: " << path;

        ShouldTransfer(info);
        qDebug() << "执行到这03";
        const TW_UINT16 rc = GetImage();
        if (rc == TWRC_FAILURE)
            qDebug() << "GetImage TWRC_FAILURE";
        else if (rc == TWRC_CANCEL)
            qDebug() << "GetImage TWRC_CANCEL";
        else if (rc == TWRC_XFERDONE)
            qDebug() << "GetImage TWRC_XFERDONE";
        acquiredFiles.append(path);
        if (rc != TWRC_XFERDONE) {
            abandonTransfer();
            break;
        }
        if (pageHook)
            pageHook(path);
        pending = EndTransfer();
    }
}

void CTwain::abandonTransfer(const QString& fallbackMessage)
{
    TW_STATUS status{};
    TW_UINT16 condition = TWCC_BUMMER;
    if (CallDSMEntry(&m_source, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS)
        condition = status.ConditionCode;
    if (!fallbackMessage.isEmpty()) {
        m_lastError = fallbackMessage;
        if (condition == TWCC_SUCCESS)
            condition = TWCC_BUMMER;
    } else {
        m_lastError = conditionMessage(condition);
    }
    m_lastCondition = condition;
    qWarning().noquote() << "扫描传输中断" << condition << m_lastError;
    TW_PENDINGXFERS pendingTransfers{};
    CallDSMEntry(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pendingTransfers);
    DisableSource();
}

QString CTwain::conditionMessage(TW_UINT16 condition)
{
    switch (condition) {
    case TWCC_NOMEDIA:
        return QStringLiteral("进纸器中没有纸张");
    case TWCC_PAPERJAM:
    case TWCC_PAPERDOUBLEFEED:
        return QStringLiteral("卡纸，请检查进纸器");
    default:
        break;
    }
    QString what;
    switch (condition) {
    case TWCC_CHECKDEVICEONLINE:
        what = QStringLiteral("设备未连接或已断开");
        break;
    case TWCC_INTERLOCK:
        what = QStringLiteral("扫描仪盖板未合上");
        break;
    case TWCC_FILEEXISTS:
        what = QStringLiteral("文件已存在");
        break;
    case TWCC_FILEWRITEERROR:
        what = QStringLiteral("文件写入失败");
        break;
    case TWCC_DENIED:
        what = QStringLiteral("目标文件夹不可写");
        break;
    case TWCC_LOWMEMORY:
        what = QStringLiteral("内存不足");
        break;
    case TWCC_BADVALUE:
        what = QStringLiteral("扫描仪不支持所选设置");
        break;
    case TWCC_SEQERROR:
        what = QStringLiteral("操作顺序错误");
        break;
    case TWCC_OPERATIONERROR:
        what = QStringLiteral("设备操作失败");
        break;
    default:
        what = QStringLiteral("未知错误（代码%1）").arg(condition);
        break;
    }
    return QStringLiteral("扫描仪错误：%1").arg(what);
}

bool CTwain::EndTransfer()
{
    qDebug() << "****************执行结束当前传输****************";
    TW_PENDINGXFERS pendingTransfers{};
    if (CallDSMEntry(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pendingTransfers) !=
        TWRC_SUCCESS)
        return false;
    if (pendingTransfers.Count == 0) {
        DisableSource();
        return false;
    }
    return true;
}

void CTwain::EnumSources()
{
    sourceList.clear();
    if (CallDSMEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &m_source) != TWRC_SUCCESS) {
        qDebug() << "没有可用的扫描仪";
        m_sourceSelected = false;
        return;
    }
    do {
        sourceList.append(m_source);
        qDebug().noquote() << "可用扫描仪：" << QString::fromUtf8(m_source.ProductName);
    } while (CallDSMEntry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &m_source) ==
             TWRC_SUCCESS);
    m_source = sourceList.first();
    m_sourceSelected = true;
}

TW_UINT16 CTwain::GetImage()
{
    return CallDSMEntry(&m_source, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
}

bool CTwain::UseSource(int index)
{
    if (index < 0 || index >= sourceList.size())
        return false;
    const TW_IDENTITY& wanted = sourceList.at(index);
    if (m_sourceOpen && m_source.Id != wanted.Id)
        CloseSource();
    if (!m_sourceOpen)
        m_source = wanted;
    m_sourceSelected = true;
    return true;
}

bool CTwain::StopFeeder()
{
    TW_PENDINGXFERS pendingTransfers{};
    return CallDSMEntry(&m_source, DG_CONTROL, DAT_PENDINGXFERS, MSG_STOPFEEDER,
                        &pendingTransfers) == TWRC_SUCCESS;
}

TW_UINT16 CTwain::CallDSMEntry(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                               TW_MEMREF data)
{
    m_returnCode = m_entry ? m_entry(&m_appIdentity, dest, dg, dat, msg, data) : TWRC_FAILURE;
    return m_returnCode;
}

void CTwain::registerCallback()
{
    TW_CALLBACK2 callback{};
    callback.CallBackProc = reinterpret_cast<TW_MEMREF>(&CTwain::notificationCallback);
    callback.RefCon = reinterpret_cast<TW_UINTPTR>(this);
    if (CallDSMEntry(&m_source, DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &callback) !=
        TWRC_SUCCESS)
        qWarning() << "注册数据源回调失败";
}

TW_UINT16 CTwain::notificationCallback(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16,
                                       TW_UINT16 msg, TW_MEMREF data)
{
    // Runs on the manager's thread: only hand the message on.
    auto* self = reinterpret_cast<CTwain*>(data);
    if (!self)
        return TWRC_FAILURE;
    self->m_callbackThread.store(QThread::currentThreadId());
    if (self->notificationPoster)
        self->notificationPoster(msg);
    return TWRC_SUCCESS;
}
