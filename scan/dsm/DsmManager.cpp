#include "DsmManager.h"

#include "SourceNames.h"

#include <cstring>
#include <signal.h>

namespace {

constexpr TW_UINT32 kApplicationId = 1;
constexpr TW_UINT32 kFirstSourceId = 2;

// Triplets only a source answers: sent without a destination they miss it.
bool isSourceTriplet(TW_UINT32 group, TW_UINT16 dat)
{
    if (group == DG_IMAGE)
        return dat == DAT_IMAGEINFO || dat == DAT_IMAGEFILEXFER;
    return group == DG_CONTROL &&
           (dat == DAT_CAPABILITY || dat == DAT_EVENT || dat == DAT_PENDINGXFERS ||
            dat == DAT_SETUPFILEXFER || dat == DAT_USERINTERFACE || dat == DAT_CALLBACK2);
}

} // namespace

DsmManager::~DsmManager()
{
    // Unloaded with a device still open: stop its reader the way DSM_Entry would.
    sigset_t pipe, previous;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    m_source.reset();
    if (m_state >= 3)
        sane_exit();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

TW_UINT16 DsmManager::fail(TW_UINT16 code, TW_UINT16 data)
{
    m_status = {code, data};
    return TWRC_FAILURE;
}

const DsmManager::Device* DsmManager::known(const TW_IDENTITY* id) const
{
    for (const Device& d : m_devices)
        if (d.identity.Id == id->Id)
            return &d;
    return nullptr;
}

TW_UINT16 DsmManager::entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                            TW_UINT16 msg, TW_MEMREF data)
{
    if (!origin)
        return fail(TWCC_BADPROTOCOL);
    const TW_UINT32 group = dg & 0xffff;
    if (!dest) {
        if (group == DG_CONTROL && dat == DAT_STATUS)
            return status(msg, static_cast<TW_STATUS*>(data));
        m_status = {};
        if (group == DG_CONTROL && dat == DAT_PARENT)
            return parent(msg, origin);
        if (group == DG_CONTROL && dat == DAT_IDENTITY)
            return identity(msg, static_cast<TW_IDENTITY*>(data));
        if (!isSourceTriplet(group, dat))
            return fail(TWCC_BADPROTOCOL);
        return fail(m_state < 3 ? TWCC_SEQERROR : TWCC_BADDEST);
    }
    if (m_source && dest->Id == m_source->identity().Id) {
        m_status = {};
        return m_source->dispatch(dg, dat, msg, data);
    }
    // The manager answered for a source that is not open, so it reports that too.
    if (group == DG_CONTROL && dat == DAT_STATUS)
        return status(msg, static_cast<TW_STATUS*>(data));
    // A listed source that is not open is out of sequence; anything else is no source.
    if (m_state < 3 || known(dest))
        return fail(TWCC_SEQERROR);
    return fail(TWCC_BADDEST);
}

TW_UINT16 DsmManager::status(TW_UINT16 msg, TW_STATUS* out)
{
    if (msg != MSG_GET || !out)
        return fail(TWCC_BADPROTOCOL);
    out->ConditionCode = m_status.code;
    out->Data = m_status.data;
    m_status = {};
    return TWRC_SUCCESS;
}

TW_UINT16 DsmManager::parent(TW_UINT16 msg, TW_IDENTITY* origin)
{
    if (msg == MSG_OPENDSM) {
        if (m_state != 2)
            return fail(TWCC_SEQERROR);
        SANE_Int version = 0;
        if (sane_init(&version, nullptr) != SANE_STATUS_GOOD)
            return fail(TWCC_BUMMER);
        origin->Id = kApplicationId;
        origin->SupportedGroups |= DF_DSM2;
        m_application = *origin;
        m_state = 3;
        listDevices();
        return TWRC_SUCCESS;
    }
    if (msg == MSG_CLOSEDSM) {
        if (m_state != 3 || m_source)
            return fail(TWCC_SEQERROR);
        m_devices.clear();
        sane_exit();
        m_state = 2;
        return TWRC_SUCCESS;
    }
    return fail(TWCC_BADPROTOCOL);
}

void DsmManager::listDevices()
{
    m_devices.clear();
    m_nextListed = 0;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_TRUE) != SANE_STATUS_GOOD || !list || !list[0]) {
        // Only network scanners: better those than none.
        if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD)
            return;
    }
    std::vector<std::string> models;
    for (int i = 0; list && list[i]; ++i)
        models.emplace_back(list[i]->model ? list[i]->model : list[i]->name);
    const std::vector<std::string> names = uniqueProductNames(models);
    for (int i = 0; list && list[i]; ++i) {
        const SANE_Device* dev = list[i];
        Device d;
        std::memset(&d.identity, 0, sizeof d.identity);
        d.identity.Id = kFirstSourceId + TW_UINT32(i);
        d.identity.Version.MajorNum = 1;
        d.identity.Version.Language = TWLG_USA;
        d.identity.Version.Country = TWCY_USA;
        copyToStr32(d.identity.Version.Info, "SANE");
        d.identity.ProtocolMajor = 2;
        d.identity.ProtocolMinor = 4;
        d.identity.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
        copyToStr32(d.identity.Manufacturer, dev->vendor ? dev->vendor : "");
        copyToStr32(d.identity.ProductFamily, dev->name);
        copyToStr32(d.identity.ProductName, names[size_t(i)]);
        d.saneName = dev->name;
        m_devices.push_back(d);
    }
}

TW_UINT16 DsmManager::identity(TW_UINT16 msg, TW_IDENTITY* id)
{
    if (m_state < 3)
        return fail(TWCC_SEQERROR);
    if (!id)
        return fail(TWCC_BADVALUE);
    switch (msg) {
    case MSG_GETFIRST:
        m_nextListed = 0;
        if (m_devices.empty())
            return fail(TWCC_NODS);
        [[fallthrough]];
    case MSG_GETNEXT:
        if (m_nextListed >= m_devices.size())
            return TWRC_ENDOFLIST;
        *id = m_devices[m_nextListed++].identity;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
    case MSG_USERSELECT:
        // No selection dialog exists: the first device is the choice.
        if (m_devices.empty())
            return fail(TWCC_NODS);
        *id = m_devices.front().identity;
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        return openSource(id);
    case MSG_CLOSEDS:
        return closeSource(id);
    default:
        return fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 DsmManager::openSource(TW_IDENTITY* id)
{
    if (m_source)
        return fail(TWCC_MAXCONNECTIONS);
    const Device* device = nullptr;
    for (const Device& d : m_devices) {
        if (id->ProductName[0]
                ? std::strncmp(d.identity.ProductName, id->ProductName, sizeof(TW_STR32)) == 0
                : d.identity.Id == id->Id) {
            device = &d;
            break;
        }
    }
    if (!device && !id->ProductName[0] && !m_devices.empty())
        device = &m_devices.front();
    if (!device)
        return fail(TWCC_NODS);
    SANE_Handle handle = nullptr;
    const SANE_Status st = sane_open(device->saneName.c_str(), &handle);
    if (st != SANE_STATUS_GOOD) {
        m_status = conditionForSaneStatus(st);
        if (m_status.code == TWCC_SUCCESS)
            m_status.code = TWCC_OPERATIONERROR;
        return TWRC_FAILURE;
    }
    *id = device->identity;
    m_source = std::make_unique<SaneSource>(handle, device->identity, m_application);
    return TWRC_SUCCESS;
}

TW_UINT16 DsmManager::closeSource(TW_IDENTITY* id)
{
    if (!m_source || id->Id != m_source->identity().Id)
        return fail(known(id) ? TWCC_SEQERROR : TWCC_BADDEST);
    if (m_source->state() != 4)
        return fail(TWCC_SEQERROR);
    m_source.reset();
    return TWRC_SUCCESS;
}
