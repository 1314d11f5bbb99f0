#include "SaneSource.h"

#include "DsmCallGuard.h"
#include "SaneFrameReader.h"
#include "ScanFileStream.h"
#include "ScanFileWriter.h"

#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// How long a cancel waits for the backend's reader to end on its own.
constexpr int kReaderEndWaitMs = 300;

TW_FIX32 fix32(double v)
{
    const TW_INT32 value = TW_INT32(std::lround(v * 65536.0));
    return {TW_INT16(value >> 16), TW_UINT16(value & 0xffff)};
}

void defaultSetup(TW_SETUPFILEXFER& setup, TW_UINT16 format)
{
    std::memset(&setup, 0, sizeof setup);
    std::strcpy(setup.FileName, "TWAIN.TMP");
    setup.Format = format;
}

bool pathTaken(const char* path)
{
    struct stat st;
    return ::lstat(path, &st) == 0;
}

} // namespace

SaneSource::SaneSource(SANE_Handle handle, const TW_IDENTITY& identity,
                       const TW_IDENTITY& application)
    : m_handle(handle), m_identity(identity), m_application(application), m_options(handle),
      m_caps(m_options)
{
    defaultSetup(m_setup, m_caps.fileFormat());
}

SaneSource::~SaneSource()
{
    stopNotifier();
    if (m_state >= 5)
        cancelPage(m_pageStarted);
    sane_close(m_handle);
}

void SaneSource::stopNotifier()
{
    if (m_notifier.joinable())
        m_notifier.join();
}

TW_UINT16 SaneSource::fail(TW_UINT16 code, TW_UINT16 data)
{
    m_status = {code, data};
    return TWRC_FAILURE;
}

TW_UINT16 SaneSource::failSane(SANE_Status status)
{
    m_status = conditionForSaneStatus(status);
    if (m_status.code == TWCC_SUCCESS)
        m_status.code = TWCC_OPERATIONERROR;
    return TWRC_FAILURE;
}

TW_UINT16 SaneSource::dispatch(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    const bool control = (dg & 0xffff) == DG_CONTROL;
    const bool image = (dg & 0xffff) == DG_IMAGE;
    if (control && dat == DAT_STATUS)
        return status(msg, static_cast<TW_STATUS*>(data));
    m_status = {};
    if (control) {
        switch (dat) {
        case DAT_USERINTERFACE:
            return userInterface(msg, static_cast<TW_USERINTERFACE*>(data));
        case DAT_EVENT:
            return processEvent(msg, static_cast<TW_EVENT*>(data));
        case DAT_CALLBACK2:
            return registerCallback(msg, static_cast<TW_CALLBACK2*>(data));
        case DAT_CAPABILITY:
            return capability(msg, static_cast<TW_CAPABILITY*>(data));
        case DAT_PENDINGXFERS:
            return pendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
        case DAT_SETUPFILEXFER:
            return setupFileTransfer(msg, static_cast<TW_SETUPFILEXFER*>(data));
        default:
            break;
        }
    } else if (image) {
        if (dat == DAT_IMAGEINFO)
            return imageInfo(msg, static_cast<TW_IMAGEINFO*>(data));
        if (dat == DAT_IMAGEFILEXFER)
            return imageFileTransfer(msg);
    }
    return fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SaneSource::status(TW_UINT16 msg, TW_STATUS* out)
{
    if (msg != MSG_GET)
        return fail(TWCC_BADPROTOCOL);
    if (!out)
        return fail(TWCC_BADVALUE);
    out->ConditionCode = m_status.code;
    out->Data = m_status.data;
    m_status = {};
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSource::userInterface(TW_UINT16 msg, TW_USERINTERFACE* ui)
{
    if (msg == MSG_ENABLEDS) {
        if (m_state != 4)
            return fail(TWCC_SEQERROR);
        if (!ui)
            return fail(TWCC_BADVALUE);
        // There is no device dialog: ShowUI only changes what we report back.
        ui->ModalUI = 0;
        m_feederJob = m_caps.feederSelected();
        m_pageStarted = false;
        m_startError = SANE_STATUS_GOOD;
        m_jobFailed = false;
        m_stopFeeder = false;
        m_delivered = 0;
        m_heldPage.reset();
        defaultSetup(m_setup, m_caps.fileFormat());
        if (m_callbackProc) {
            // The page is ready at once; the notifier only tells the application,
            // from a thread of its own so it never runs inside this call.
            m_state = 6;
            const auto proc = reinterpret_cast<DSMENTRYPROC>(m_callbackProc);
            const TW_UINTPTR refCon = m_callbackRefCon;
            TW_IDENTITY origin = m_identity;
            TW_IDENTITY dest = m_application;
            stopNotifier();
            m_notifier = std::thread([proc, refCon, origin, dest]() mutable {
                t_insideDsmCallback = true;
                proc(&origin, &dest, DG_CONTROL, DAT_NULL, MSG_XFERREADY,
                     reinterpret_cast<TW_MEMREF>(refCon));
                t_insideDsmCallback = false;
            });
        } else {
            m_state = 5;
            m_readyUnannounced = true;
        }
        return TWRC_SUCCESS;
    }
    if (msg == MSG_DISABLEDS) {
        if (m_state != 5)
            return fail(TWCC_SEQERROR);
        stopNotifier();
        m_readyUnannounced = false;
        m_state = 4;
        return TWRC_SUCCESS;
    }
    return fail(TWCC_BADPROTOCOL);
}

TW_UINT16 SaneSource::processEvent(TW_UINT16 msg, TW_EVENT* event)
{
    if (msg != MSG_PROCESSEVENT)
        return fail(TWCC_BADPROTOCOL);
    if (m_state < 5)
        return fail(TWCC_SEQERROR);
    if (!event)
        return fail(TWCC_BADVALUE);
    if (m_readyUnannounced && m_state == 5) {
        m_readyUnannounced = false;
        m_state = 6;
        event->TWMessage = MSG_XFERREADY;
        return TWRC_DSEVENT;
    }
    event->TWMessage = MSG_NULL;
    return TWRC_NOTDSEVENT;
}

TW_UINT16 SaneSource::registerCallback(TW_UINT16 msg, TW_CALLBACK2* callback)
{
    if (msg != MSG_REGISTER_CALLBACK)
        return fail(TWCC_BADPROTOCOL);
    if (m_state != 4)
        return fail(TWCC_SEQERROR);
    if (!callback)
        return fail(TWCC_BADVALUE);
    m_callbackProc = callback->CallBackProc;
    m_callbackRefCon = callback->RefCon;
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSource::capability(TW_UINT16 msg, TW_CAPABILITY* cap)
{
    if (!cap)
        return fail(TWCC_BADVALUE);
    const TW_UINT16 rc = m_caps.handle(msg, *cap, m_state == 4, m_status);
    if (rc == TWRC_SUCCESS || rc == TWRC_CHECKSTATUS)
        m_status = {};
    if (msg == MSG_SET && cap->Cap == ICAP_IMAGEFILEFORMAT && rc == TWRC_SUCCESS)
        m_setup.Format = m_caps.fileFormat();
    return rc;
}

TW_UINT16 SaneSource::pendingCount() const
{
    if (m_state < 6)
        return 0;
    if (m_caps.transferCount() > 0)
        return TW_UINT16(std::max(0, m_caps.transferCount() - m_delivered));
    return m_feederJob ? 0xffff : 1;
}

void SaneSource::cancelPage(bool unread)
{
    // The backend's reader is let to end on its own before the backend cancels it
    // (see ReaderThreads). A page that is still coming is read to its end first; a
    // page whose reads failed has nothing more to give and is cancelled once its
    // reader has ended, or after a short wait when it is stuck on a full pipe.
    if (unread) {
        SANE_Parameters p;
        long long left = -1;
        if (sane_get_parameters(m_handle, &p) == SANE_STATUS_GOOD && p.lines > 0)
            left = (long long)p.bytes_per_line * p.lines;
        std::vector<SANE_Byte> block(65536);
        SANE_Int len = 0;
        bool waited = false;
        for (;;) {
            if (!waited && left >= 0 && left <= ReaderThreads::kPipeBytes) {
                m_readers.waitForEnd(kReaderEndWaitMs);
                waited = true;
            }
            if (sane_read(m_handle, block.data(), SANE_Int(block.size()), &len) != SANE_STATUS_GOOD)
                break;
            if (left >= 0)
                left = std::max(0LL, left - len);
        }
    } else {
        m_readers.waitForEnd(kReaderEndWaitMs);
    }
    sane_cancel(m_handle);
}

void SaneSource::endJob()
{
    cancelPage(m_pageStarted);
    m_pageStarted = false;
    m_startError = SANE_STATUS_GOOD;
    m_heldPage.reset();
    m_state = 5;
}

TW_UINT16 SaneSource::pendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending)
{
    if (!pending)
        return fail(TWCC_BADVALUE);
    pending->EOJ = 0;
    switch (msg) {
    case MSG_GET:
        pending->Count = pendingCount();
        return TWRC_SUCCESS;
    case MSG_RESET:
        if (m_state != 6)
            return fail(TWCC_SEQERROR);
        endJob();
        pending->Count = 0;
        return TWRC_SUCCESS;
    case MSG_STOPFEEDER:
        // Also taken while a page is being transferred (state 7): that page is
        // the last one. In state 6 the page already fed is still delivered.
        if (m_state != 6 && m_state != 7)
            return fail(TWCC_SEQERROR);
        m_stopFeeder = true;
        pending->Count = m_state == 6 ? 1 : 0;
        return TWRC_SUCCESS;
    case MSG_ENDXFER:
        break;
    default:
        return fail(TWCC_BADPROTOCOL);
    }
    if (m_state != 6 && m_state != 7)
        return fail(TWCC_SEQERROR);
    if (m_state == 6 && m_pageStarted) {
        // The application skips this page: drop what the device has started.
        cancelPage(true);
        m_pageStarted = false;
    }
    m_heldPage.reset();
    m_startError = SANE_STATUS_GOOD;
    const TW_INT16 limit = m_caps.transferCount();
    bool over = !m_feederJob || m_stopFeeder || m_jobFailed || (limit > 0 && m_delivered >= limit);
    if (!over) {
        const SANE_Status st = startDevice();
        if (st == SANE_STATUS_NO_DOCS) {
            over = true;
        } else if (st != SANE_STATUS_GOOD) {
            // Reported at the next DAT_IMAGEINFO, where the application asks.
            m_startError = st;
        } else {
            m_pageStarted = true;
        }
    }
    if (over) {
        endJob();
        pending->Count = 0;
        return TWRC_SUCCESS;
    }
    m_state = 6;
    pending->Count = pendingCount();
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSource::setupFileTransfer(TW_UINT16 msg, TW_SETUPFILEXFER* setup)
{
    if (!setup)
        return fail(TWCC_BADVALUE);
    if (m_state < 4 || m_state > 6)
        return fail(TWCC_SEQERROR);
    switch (msg) {
    case MSG_GET:
        *setup = m_setup;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
        defaultSetup(*setup, m_caps.fileFormat());
        return TWRC_SUCCESS;
    case MSG_RESET:
        defaultSetup(m_setup, m_caps.fileFormat());
        *setup = m_setup;
        return TWRC_SUCCESS;
    case MSG_SET:
        if (setup->Format != TWFF_BMP && setup->Format != TWFF_TIFF && setup->Format != TWFF_JFIF)
            return fail(TWCC_BADVALUE);
        if (strnlen(setup->FileName, sizeof setup->FileName) == 0 ||
            strnlen(setup->FileName, sizeof setup->FileName) == sizeof setup->FileName)
            return fail(TWCC_BADVALUE);
        m_setup = *setup;
        return TWRC_SUCCESS;
    default:
        return fail(TWCC_BADPROTOCOL);
    }
}

SANE_Status SaneSource::startPage()
{
    if (m_startError != SANE_STATUS_GOOD) {
        const SANE_Status st = m_startError;
        m_startError = SANE_STATUS_GOOD;
        return st;
    }
    if (m_pageStarted)
        return SANE_STATUS_GOOD;
    const SANE_Status st = startDevice();
    m_pageStarted = st == SANE_STATUS_GOOD;
    return st;
}

SANE_Status SaneSource::startDevice()
{
    // Read while the device is idle: some refuse option reads during a scan, and
    // a page written while it is read needs its resolution from the start.
    m_pageXDpi = resolution(false);
    m_pageYDpi = resolution(true);
    m_readers.beforeStart();
    const SANE_Status st = sane_start(m_handle);
    m_readers.afterStart();
    return st;
}

double SaneSource::resolution(bool vertical) const
{
    double dpi = 0;
    if (m_options.numberByName("resolution", dpi))
        return dpi;
    m_options.numberByName(vertical ? "y-resolution" : "x-resolution", dpi);
    return dpi;
}

TW_UINT16 SaneSource::imageInfo(TW_UINT16 msg, TW_IMAGEINFO* info)
{
    if (msg != MSG_GET)
        return fail(TWCC_BADPROTOCOL);
    if (m_state != 6)
        return fail(TWCC_SEQERROR);
    if (!info)
        return fail(TWCC_BADVALUE);
    std::memset(info, 0, sizeof *info);
    info->XResolution = fix32(resolution(false));
    info->YResolution = fix32(resolution(true));
    info->Compression = TWCP_NONE;
    int samples = 1, bits = 8, width = 0, length = 0;
    if (m_heldPage) {
        samples = m_heldPage->channels;
        bits = m_heldPage->bitsPerSample;
        width = m_heldPage->width;
        length = m_heldPage->height;
        info->XResolution = fix32(m_heldPage->xDpi);
        info->YResolution = fix32(m_heldPage->yDpi);
    } else {
        const SANE_Status st = startPage();
        if (st != SANE_STATUS_GOOD) {
            m_jobFailed = true;
            return failSane(st);
        }
        SANE_Parameters p;
        const SANE_Status pst = sane_get_parameters(m_handle, &p);
        if (pst != SANE_STATUS_GOOD)
            return failSane(pst);
        samples = p.format == SANE_FRAME_GRAY ? 1 : 3;
        bits = (p.format == SANE_FRAME_GRAY && p.depth == 1) ? 1 : 8;
        width = p.pixels_per_line;
        length = p.lines;
    }
    // A quarter turn (ICAP_ORIENTATION) swaps the page's axes in the file.
    if (!m_heldPage && m_caps.orientation() % 2 == 1) {
        std::swap(width, length);
        std::swap(info->XResolution, info->YResolution);
    }
    info->ImageWidth = width;
    info->ImageLength = length;
    info->SamplesPerPixel = TW_INT16(samples);
    for (int i = 0; i < samples; ++i)
        info->BitsPerSample[i] = TW_INT16(bits);
    info->BitsPerPixel = TW_INT16(samples * bits);
    info->Planar = 0;
    info->PixelType = TW_INT16(samples == 3 ? TWPT_RGB : (bits == 1 ? TWPT_BW : TWPT_GRAY));
    return TWRC_SUCCESS;
}

TW_UINT16 SaneSource::imageFileTransfer(TW_UINT16 msg)
{
    if (msg != MSG_GET)
        return fail(TWCC_BADPROTOCOL);
    if (m_state != 6)
        return fail(TWCC_SEQERROR);
    // Checked before reading so the page stays with the device, still pending.
    if (pathTaken(m_setup.FileName))
        return fail(TWCC_FILEEXISTS);
    ScanFileRequest request;
    request.path = m_setup.FileName;
    request.format = m_setup.Format;
    request.compression = m_caps.compression();
    request.jpegQuality = m_caps.jpegQuality();
    TW_UINT16 written = TWCC_SUCCESS;
    if (m_heldPage) {
        written = writeScanFile(*m_heldPage, request);
    } else {
        SANE_Status st = startPage();
        if (st != SANE_STATUS_GOOD) {
            m_jobFailed = true;
            return failSane(st);
        }
        ScanRaster page;
        page.data.swap(m_spareBuffer);
        // Pages that need no turn are encoded while they are read, so the
        // encoder works while the device produces the next rows. The page is
        // still kept whole: should writing fail, another target can take it.
        const double xDpi = m_pageXDpi, yDpi = m_pageYDpi;
        ScanFileStream stream;
        TW_UINT16 streamed = TWCC_SUCCESS;
        int rowsGiven = 0;
        SaneFrameReader::RowDone rowDone;
        if (m_caps.orientation() == 0 && ScanFileStream::streams(request.format)) {
            rowDone = [&](const ScanRaster& p, int y) {
                if (y == 0)
                    streamed = stream.begin(request, p.width, p.height, p.channels, p.bitsPerSample,
                                            xDpi, yDpi);
                if (streamed == TWCC_SUCCESS)
                    stream.row(p.data.data() + std::size_t(y) * p.bytesPerLine);
                rowsGiven = y + 1;
            };
        }
        st = SaneFrameReader(m_handle, &m_readers).read(page, rowDone);
        m_pageStarted = false;
        if (st != SANE_STATUS_GOOD) {
            stream.abort();
            cancelPage(false);
            m_jobFailed = true;
            return failSane(st);
        }
        page.xDpi = xDpi;
        page.yDpi = yDpi;
        rotateScanRaster(page, m_caps.orientation());
        m_heldPage = std::move(page);
        if (rowsGiven > 0 && streamed == TWCC_SUCCESS) {
            // Rows the device announced but never sent are in the page as white.
            for (int y = rowsGiven; y < m_heldPage->height; ++y)
                stream.row(m_heldPage->data.data() + std::size_t(y) * m_heldPage->bytesPerLine);
            written = stream.finish();
        } else if (rowsGiven > 0) {
            written = streamed;
        } else {
            written = writeScanFile(*m_heldPage, request);
        }
    }
    if (written != TWCC_SUCCESS)
        return fail(written); // the page is kept: another target may still take it
    m_spareBuffer.swap(m_heldPage->data);
    m_heldPage.reset();
    ++m_delivered;
    m_state = 7;
    return TWRC_XFERDONE;
}
