#include "SourceCapabilities.h"

#include "SaneOptionCapability.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// MSG_QUERYSUPPORT flags.
constexpr TW_INT32 TWQC_GET = 0x0001;
constexpr TW_INT32 TWQC_SET = 0x0002;
constexpr TW_INT32 TWQC_GETDEFAULT = 0x0004;
constexpr TW_INT32 TWQC_GETCURRENT = 0x0008;
constexpr TW_INT32 TWQC_RESET = 0x0010;

const char* const kArea[4] = {"tl-x", "tl-y", "br-x", "br-y"};

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool contains(const std::string& haystack, const char* needle)
{
    return lower(haystack).find(needle) != std::string::npos;
}

bool isFeederName(const std::string& s)
{
    return contains(s, "feeder") || contains(s, "adf");
}

TW_FIX32 toFix32(double v)
{
    const TW_INT32 value = TW_INT32(std::lround(v * 65536.0));
    TW_FIX32 f;
    f.Whole = TW_INT16(value >> 16);
    f.Frac = TW_UINT16(value & 0xffff);
    return f;
}

double fromFix32(TW_UINT32 raw)
{
    TW_FIX32 f;
    std::memcpy(&f, &raw, sizeof f);
    return f.Whole + f.Frac / 65536.0;
}

TW_UINT32 fix32Item(double v)
{
    const TW_FIX32 f = toFix32(v);
    TW_UINT32 raw = 0;
    std::memcpy(&raw, &f, sizeof f);
    return raw;
}

size_t itemSize(TW_UINT16 type)
{
    switch (type) {
    case TWTY_INT8:
    case TWTY_UINT8:
        return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
        return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
        return 4;
    case TWTY_STR255:
        return sizeof(TW_STR255);
    default:
        return 0;
    }
}

// The value an application asks for: a one-value item, or the current item of
// an enumeration. Integer items are widened with their sign.
struct Requested
{
    TW_UINT16 type = 0;
    double number = 0;
    std::string text;
};

bool readRequest(const TW_CAPABILITY& cap, Requested& r)
{
    if (!cap.hContainer)
        return false;
    const std::uint8_t* item = nullptr;
    const auto* base = static_cast<const std::uint8_t*>(cap.hContainer);
    if (cap.ConType == TWON_ONEVALUE) {
        r.type = reinterpret_cast<const TW_ONEVALUE*>(base)->ItemType;
        item = base + offsetof(TW_ONEVALUE, Item);
    } else if (cap.ConType == TWON_ENUMERATION) {
        const auto* e = reinterpret_cast<const TW_ENUMERATION*>(base);
        r.type = e->ItemType;
        if (e->CurrentIndex >= e->NumItems || itemSize(r.type) == 0)
            return false;
        item = base + offsetof(TW_ENUMERATION, ItemList) + e->CurrentIndex * itemSize(r.type);
    } else {
        return false;
    }
    switch (r.type) {
    case TWTY_INT8:
        r.number = *reinterpret_cast<const TW_INT8*>(item);
        return true;
    case TWTY_UINT8:
        r.number = *item;
        return true;
    case TWTY_INT16: {
        TW_INT16 v;
        std::memcpy(&v, item, 2);
        r.number = v;
        return true;
    }
    case TWTY_UINT16:
    case TWTY_BOOL: {
        TW_UINT16 v;
        std::memcpy(&v, item, 2);
        r.number = v;
        return true;
    }
    case TWTY_INT32: {
        TW_INT32 v;
        std::memcpy(&v, item, 4);
        r.number = v;
        return true;
    }
    case TWTY_UINT32: {
        TW_UINT32 v;
        std::memcpy(&v, item, 4);
        r.number = v;
        return true;
    }
    case TWTY_FIX32: {
        TW_UINT32 v;
        std::memcpy(&v, item, 4);
        r.number = fromFix32(v);
        return true;
    }
    case TWTY_STR255:
        r.text.assign(reinterpret_cast<const char*>(item),
                      strnlen(reinterpret_cast<const char*>(item), 255));
        return true;
    default:
        return false;
    }
}

TW_UINT16 fail(TwainCondition& cond, TW_UINT16 code)
{
    cond = {code, 0};
    return TWRC_FAILURE;
}

// Portrait sheet sizes in millimetres.
bool sheetSize(TW_UINT16 size, double& w, double& h)
{
    switch (size) {
    case TWSS_A4:
        w = 210;
        h = 297;
        return true;
    case TWSS_A5:
        w = 148;
        h = 210;
        return true;
    case TWSS_A3:
        w = 297;
        h = 420;
        return true;
    case TWSS_A2:
        w = 420;
        h = 594;
        return true;
    case TWSS_A1:
        w = 594;
        h = 841;
        return true;
    case TWSS_A0:
        w = 841;
        h = 1189;
        return true;
    case TWSS_JISB5:
        w = 182;
        h = 257;
        return true;
    case TWSS_ISOB4:
        w = 250;
        h = 353;
        return true;
    case TWSS_USLETTER:
        w = 215.9;
        h = 279.4;
        return true;
    case TWSS_USLEGAL:
        w = 215.9;
        h = 355.6;
        return true;
    default:
        return false;
    }
}

} // namespace

SourceCapabilities::SourceCapabilities(SaneOptions& options) : m_options(options)
{
    m_defaultPixelType = pixelTypeNow();
    m_defaultXDpi = resolutionNow(ICAP_XRESOLUTION);
    m_defaultYDpi = resolutionNow(ICAP_YRESOLUTION);
    m_defaultSource = sourceNow();
    for (int i = 0; i < 4; ++i)
        m_options.numberByName(kArea[i], m_defaultArea[i]);
}

bool SourceCapabilities::feederSelected() const
{
    const std::string s = sourceNow();
    return isFeederName(s) || contains(s, "duplex");
}

std::string SourceCapabilities::sourceNow() const
{
    std::string s;
    m_options.textByName("source", s);
    return s;
}

TW_UINT16 SourceCapabilities::pixelTypeNow() const
{
    std::string mode;
    m_options.textByName("mode", mode);
    if (contains(mode, "color") || contains(mode, "colour") || contains(mode, "rgb"))
        return TWPT_RGB;
    if (contains(mode, "lineart") || contains(mode, "binary") || contains(mode, "halftone"))
        return TWPT_BW;
    double depth = 8;
    m_options.numberByName("depth", depth);
    return depth == 1 ? TWPT_BW : TWPT_GRAY;
}

double SourceCapabilities::resolutionNow(TW_UINT16 cap) const
{
    double dpi = 0;
    if (m_options.numberByName("resolution", dpi))
        return dpi;
    m_options.numberByName(cap == ICAP_YRESOLUTION ? "y-resolution" : "x-resolution", dpi);
    return dpi;
}

bool SourceCapabilities::current(TW_UINT16 cap, Value& v) const
{
    switch (cap) {
    case CAP_XFERCOUNT:
        v = {TWTY_INT16, TW_UINT16(m_transferCount)};
        return true;
    case ICAP_PIXELTYPE:
        v = {TWTY_UINT16, pixelTypeNow()};
        return true;
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
        v = {TWTY_FIX32, fix32Item(resolutionNow(cap))};
        return true;
    case ICAP_SUPPORTEDSIZES:
        v = {TWTY_UINT16, m_paperSize};
        return true;
    case CAP_FEEDERENABLED:
        v = {TWTY_BOOL, isFeederName(sourceNow()) ? 1u : 0u};
        return true;
    case CAP_DUPLEXENABLED:
        v = {TWTY_BOOL, contains(sourceNow(), "duplex") ? 1u : 0u};
        return true;
    case ICAP_ORIENTATION:
        v = {TWTY_UINT16, TW_UINT32(m_orientation)};
        return true;
    case ICAP_XFERMECH:
        v = {TWTY_UINT16, TWSX_FILE};
        return true;
    case ICAP_IMAGEFILEFORMAT:
        v = {TWTY_UINT16, m_fileFormat};
        return true;
    case ICAP_COMPRESSION:
        v = {TWTY_UINT16, m_compression};
        return true;
    case ICAP_JPEGQUALITY:
        v = {TWTY_INT16, TW_UINT16(m_jpegQuality)};
        return true;
    default:
        return false;
    }
}

bool SourceCapabilities::byDefault(TW_UINT16 cap, Value& v) const
{
    switch (cap) {
    case CAP_XFERCOUNT:
        v = {TWTY_INT16, TW_UINT16(TW_INT16(-1))};
        return true;
    case ICAP_PIXELTYPE:
        v = {TWTY_UINT16, m_defaultPixelType};
        return true;
    case ICAP_XRESOLUTION:
        v = {TWTY_FIX32, fix32Item(m_defaultXDpi)};
        return true;
    case ICAP_YRESOLUTION:
        v = {TWTY_FIX32, fix32Item(m_defaultYDpi)};
        return true;
    case ICAP_SUPPORTEDSIZES:
        v = {TWTY_UINT16, TWSS_NONE};
        return true;
    case CAP_FEEDERENABLED:
        v = {TWTY_BOOL, isFeederName(m_defaultSource) ? 1u : 0u};
        return true;
    case CAP_DUPLEXENABLED:
        v = {TWTY_BOOL, contains(m_defaultSource, "duplex") ? 1u : 0u};
        return true;
    case ICAP_ORIENTATION:
        v = {TWTY_UINT16, TWOR_ROT0};
        return true;
    case ICAP_XFERMECH:
        v = {TWTY_UINT16, TWSX_FILE};
        return true;
    case ICAP_IMAGEFILEFORMAT:
        v = {TWTY_UINT16, TWFF_BMP};
        return true;
    case ICAP_COMPRESSION:
        v = {TWTY_UINT16, TWCP_NONE};
        return true;
    case ICAP_JPEGQUALITY:
        v = {TWTY_INT16, TW_UINT16(TWJQ_MEDIUM)};
        return true;
    default:
        return false;
    }
}

TW_UINT16 SourceCapabilities::handle(TW_UINT16 msg, TW_CAPABILITY& cap, bool settable,
                                     TwainCondition& cond)
{
    cond = {};
    Value v;
    const bool known = current(cap.Cap, v) || cap.Cap == CAP_TARVO_SANEOPTION;
    if (!known)
        return fail(cond, TWCC_CAPUNSUPPORTED);

    auto answer = [&](TW_UINT16 type, TW_UINT32 item) {
        auto* one = static_cast<TW_ONEVALUE*>(std::malloc(sizeof(TW_ONEVALUE)));
        if (!one)
            return fail(cond, TWCC_LOWMEMORY);
        one->ItemType = type;
        one->Item = item;
        cap.ConType = TWON_ONEVALUE;
        cap.hContainer = one;
        return TWRC_SUCCESS;
    };

    switch (msg) {
    case MSG_QUERYSUPPORT: {
        TW_INT32 flags = TWQC_SET;
        if (cap.Cap != CAP_TARVO_SANEOPTION)
            flags |= TWQC_GET | TWQC_GETCURRENT | TWQC_GETDEFAULT | TWQC_RESET;
        return answer(TWTY_INT32, TW_UINT32(flags));
    }
    case MSG_GET:
    case MSG_GETCURRENT:
        if (cap.Cap == CAP_TARVO_SANEOPTION)
            return fail(cond, TWCC_CAPBADOPERATION);
        return answer(v.type, v.item);
    case MSG_GETDEFAULT:
        if (!byDefault(cap.Cap, v))
            return fail(cond, TWCC_CAPBADOPERATION);
        return answer(v.type, v.item);
    case MSG_SET: {
        if (!settable)
            return fail(cond, TWCC_SEQERROR);
        const TW_UINT16 rc = set(cap.Cap, cap, cond);
        // Tell the caller what the device took when it differs from the request.
        if (rc == TWRC_CHECKSTATUS && cap.ConType == TWON_ONEVALUE && cap.hContainer &&
            current(cap.Cap, v)) {
            auto* one = static_cast<TW_ONEVALUE*>(cap.hContainer);
            if (one->ItemType == v.type)
                one->Item = v.item;
        }
        return rc;
    }
    case MSG_RESET: {
        if (!settable)
            return fail(cond, TWCC_SEQERROR);
        if (cap.Cap == CAP_TARVO_SANEOPTION)
            return fail(cond, TWCC_CAPBADOPERATION);
        const TW_UINT16 rc = reset(cap.Cap, cond);
        if (rc == TWRC_FAILURE)
            return rc;
        current(cap.Cap, v);
        const TW_UINT16 arc = answer(v.type, v.item);
        return arc == TWRC_SUCCESS ? rc : arc;
    }
    default:
        return fail(cond, TWCC_CAPBADOPERATION);
    }
}

TW_UINT16 SourceCapabilities::set(TW_UINT16 cap, const TW_CAPABILITY& container,
                                  TwainCondition& cond)
{
    Requested r;
    if (!readRequest(container, r))
        return fail(cond, TWCC_BADVALUE);
    if (cap == CAP_TARVO_SANEOPTION) {
        if (r.type != TWTY_STR255)
            return fail(cond, TWCC_BADVALUE);
        return setSaneOption(r.text, cond);
    }
    if (r.type == TWTY_STR255)
        return fail(cond, TWCC_BADVALUE);
    const double n = r.number;
    const int i = int(n);
    switch (cap) {
    case CAP_XFERCOUNT:
        if (n != -1 && (n < 1 || n > 32767))
            return fail(cond, TWCC_BADVALUE);
        m_transferCount = TW_INT16(i);
        return TWRC_SUCCESS;
    case ICAP_PIXELTYPE:
        return setPixelType(TW_UINT16(i), cond);
    case ICAP_XRESOLUTION:
    case ICAP_YRESOLUTION:
        return setResolution(cap, n, cond);
    case ICAP_SUPPORTEDSIZES:
        return setPaperSize(TW_UINT16(i), cond);
    case CAP_FEEDERENABLED:
        return setSource(i != 0, false, cond);
    case CAP_DUPLEXENABLED:
        if (i == 0) {
            // Leaving duplex keeps the feeder if it was on.
            if (contains(sourceNow(), "duplex"))
                return setSource(true, false, cond);
            return TWRC_SUCCESS;
        }
        return setSource(true, true, cond);
    case ICAP_ORIENTATION:
        if (i < 0 || i > 3)
            return fail(cond, TWCC_BADVALUE);
        m_orientation = i;
        return TWRC_SUCCESS;
    case ICAP_XFERMECH:
        if (i != TWSX_FILE)
            return fail(cond, TWCC_BADVALUE);
        return TWRC_SUCCESS;
    case ICAP_IMAGEFILEFORMAT:
        if (i != TWFF_BMP && i != TWFF_TIFF && i != TWFF_JFIF)
            return fail(cond, TWCC_BADVALUE);
        m_fileFormat = TW_UINT16(i);
        return TWRC_SUCCESS;
    case ICAP_COMPRESSION:
        if (i != TWCP_NONE && i != TWCP_PACKBITS && i != TWCP_GROUP4 && i != TWCP_JPEG &&
            i != TWCP_LZW && i != TWCP_PNG && i != TWCP_ZIP)
            return fail(cond, TWCC_BADVALUE);
        m_compression = TW_UINT16(i);
        return TWRC_SUCCESS;
    case ICAP_JPEGQUALITY:
        if (i < TWJQ_UNKNOWN || i > 100)
            return fail(cond, TWCC_BADVALUE);
        m_jpegQuality = TW_INT16(i);
        return TWRC_SUCCESS;
    default:
        return fail(cond, TWCC_CAPUNSUPPORTED);
    }
}

TW_UINT16 SourceCapabilities::reset(TW_UINT16 cap, TwainCondition& cond)
{
    switch (cap) {
    case ICAP_PIXELTYPE:
        return setPixelType(m_defaultPixelType, cond);
    case ICAP_XRESOLUTION:
        return setResolution(cap, m_defaultXDpi, cond);
    case ICAP_YRESOLUTION:
        return setResolution(cap, m_defaultYDpi, cond);
    case CAP_FEEDERENABLED:
    case CAP_DUPLEXENABLED: {
        const int index = m_options.find("source");
        bool inexact = false;
        if (index > 0 && !m_defaultSource.empty())
            m_options.setText(index, m_defaultSource, inexact);
        return TWRC_SUCCESS;
    }
    case ICAP_SUPPORTEDSIZES:
        m_paperSize = TWSS_NONE;
        for (int i = 0; i < 4; ++i) {
            const int index = m_options.find(kArea[i]);
            bool inexact = false;
            if (index > 0)
                m_options.setNumber(index, m_defaultArea[i], inexact);
        }
        return TWRC_SUCCESS;
    case CAP_XFERCOUNT:
        m_transferCount = -1;
        return TWRC_SUCCESS;
    case ICAP_ORIENTATION:
        m_orientation = TWOR_ROT0;
        return TWRC_SUCCESS;
    case ICAP_IMAGEFILEFORMAT:
        m_fileFormat = TWFF_BMP;
        return TWRC_SUCCESS;
    case ICAP_COMPRESSION:
        m_compression = TWCP_NONE;
        return TWRC_SUCCESS;
    case ICAP_JPEGQUALITY:
        m_jpegQuality = TWJQ_MEDIUM;
        return TWRC_SUCCESS;
    default:
        return TWRC_SUCCESS;
    }
}

TW_UINT16 SourceCapabilities::setPixelType(TW_UINT16 type, TwainCondition& cond)
{
    const int modeIndex = m_options.find("mode");
    if (modeIndex <= 0 || type > TWPT_RGB)
        return fail(cond, TWCC_BADVALUE);
    const std::vector<std::string> modes = m_options.textChoices(modeIndex);
    auto pick = [&](std::initializer_list<const char*> names) -> std::string {
        for (const std::string& m : modes)
            for (const char* n : names)
                if (lower(m) == n)
                    return m;
        return {};
    };
    std::string mode;
    int depth = 8;
    if (type == TWPT_BW) {
        mode = pick({"lineart", "binary"});
        if (mode.empty()) {
            mode = pick({"gray", "grey"});
            depth = 1;
        } else {
            depth = 0; // a line-art mode sets its own depth
        }
    } else if (type == TWPT_GRAY) {
        mode = pick({"gray", "grey"});
    } else {
        mode = pick({"color", "colour", "rgb"});
    }
    if (mode.empty())
        return fail(cond, TWCC_BADVALUE);
    bool inexact = false;
    if (m_options.setText(modeIndex, mode, inexact) != SANE_STATUS_GOOD)
        return fail(cond, TWCC_BADVALUE);
    const int depthIndex = m_options.find("depth");
    if (depth > 0 && depthIndex > 0 && m_options.isActive(depthIndex)) {
        bool depthInexact = false;
        if (m_options.setNumber(depthIndex, depth, depthInexact) != SANE_STATUS_GOOD)
            return depth == 1 ? fail(cond, TWCC_BADVALUE) : TWRC_CHECKSTATUS;
        if (depthInexact)
            return TWRC_CHECKSTATUS;
    } else if (depth == 1) {
        return fail(cond, TWCC_BADVALUE);
    }
    return inexact ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
}

TW_UINT16 SourceCapabilities::setResolution(TW_UINT16 cap, double dpi, TwainCondition& cond)
{
    if (dpi <= 0)
        return fail(cond, TWCC_BADVALUE);
    int index = m_options.find("resolution");
    if (index <= 0)
        index = m_options.find(cap == ICAP_YRESOLUTION ? "y-resolution" : "x-resolution");
    if (index <= 0)
        return fail(cond, TWCC_CAPUNSUPPORTED);
    bool inexact = false;
    if (m_options.setNumber(index, dpi, inexact) != SANE_STATUS_GOOD)
        return fail(cond, TWCC_BADVALUE);
    return inexact ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
}

TW_UINT16 SourceCapabilities::setPaperSize(TW_UINT16 size, TwainCondition& cond)
{
    if (size == TWSS_NONE) {
        m_paperSize = size;
        return TWRC_SUCCESS;
    }
    double w = 0, h = 0;
    if (!sheetSize(size, w, h))
        return fail(cond, TWCC_BADVALUE);
    int index[4];
    for (int i = 0; i < 4; ++i) {
        index[i] = m_options.find(kArea[i]);
        if (index[i] <= 0)
            return fail(cond, TWCC_CAPUNSUPPORTED);
    }
    const double target[4] = {0, 0, w, h};
    bool changed = false;
    for (int i = 0; i < 4; ++i) {
        const SANE_Option_Descriptor* d = m_options.descriptor(index[i]);
        double value = target[i];
        if (d->unit == SANE_UNIT_PIXEL)
            value = value / 25.4 * resolutionNow(i % 2 ? ICAP_YRESOLUTION : ICAP_XRESOLUTION);
        double min = 0, max = 0;
        if (m_options.numberRange(index[i], min, max) && (value < min || value > max)) {
            value = std::clamp(value, min, max);
            changed = true;
        }
        bool inexact = false;
        if (m_options.setNumber(index[i], value, inexact) != SANE_STATUS_GOOD)
            return fail(cond, TWCC_BADVALUE);
        changed = changed || inexact;
    }
    m_paperSize = size;
    return changed ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
}

TW_UINT16 SourceCapabilities::setSource(bool feeder, bool duplex, TwainCondition& cond)
{
    const int index = m_options.find("source");
    if (index <= 0 || !m_options.isActive(index)) {
        if (!feeder && !duplex)
            return TWRC_SUCCESS;
        return fail(cond, TWCC_CAPUNSUPPORTED);
    }
    std::string choice;
    for (const std::string& s : m_options.textChoices(index)) {
        const bool isDuplex = contains(s, "duplex");
        const bool isFeeder = isFeederName(s) || isDuplex;
        if (duplex ? isDuplex : (feeder ? isFeeder && !isDuplex : !isFeeder)) {
            // Prefer an entry that says "flatbed" for the flatbed.
            if (choice.empty() || (!feeder && contains(s, "flatbed")))
                choice = s;
        }
    }
    if (choice.empty()) {
        if (!feeder && !duplex)
            return TWRC_SUCCESS;
        return fail(cond, TWCC_CAPUNSUPPORTED);
    }
    bool inexact = false;
    if (m_options.setText(index, choice, inexact) != SANE_STATUS_GOOD)
        return fail(cond, TWCC_BADVALUE);
    return TWRC_SUCCESS;
}

TW_UINT16 SourceCapabilities::setSaneOption(const std::string& assignment, TwainCondition& cond)
{
    bool inexact = false;
    const SANE_Status st = m_options.setFromAssignment(assignment, inexact);
    if (st == SANE_STATUS_UNSUPPORTED)
        return fail(cond, TWCC_CAPUNSUPPORTED);
    if (st != SANE_STATUS_GOOD)
        return fail(cond, TWCC_BADVALUE);
    return inexact ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
}
