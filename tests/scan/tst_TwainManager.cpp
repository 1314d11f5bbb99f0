// Drives the built manager library through DSM_Entry, as an application would,
// against SANE's virtual test scanners.

#include "../imaging/ReadOnlyGuard.h"
#include "TwainDefs.h"
#include "dsm/SaneOptionCapability.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/resource.h>
#include <thread>

namespace {

DSMENTRYPROC g_entry = nullptr;

struct CallbackRecord
{
    std::atomic<int> calls{0};
    std::atomic<TW_UINT16> message{0};
    std::atomic<TW_UINT16> nestedResult{0};
    std::thread::id thread;
    void* refCon = nullptr;
};
CallbackRecord g_callback;

TW_UINT16 onCallback(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 msg,
                     TW_MEMREF data)
{
    g_callback.thread = std::this_thread::get_id();
    g_callback.refCon = data;
    g_callback.message = msg;
    // A call back into the manager from here must be refused, not deadlock.
    TW_IDENTITY app{};
    TW_STATUS status{};
    g_callback.nestedResult = g_entry(&app, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    g_callback.calls++;
    return TWRC_SUCCESS;
}

double fix32ToDouble(TW_FIX32 f)
{
    return f.Whole + f.Frac / 65536.0;
}

TW_UINT32 fix32Item(double v)
{
    const TW_INT32 raw = TW_INT32(std::lround(v * 65536.0));
    TW_FIX32 f{TW_INT16(raw >> 16), TW_UINT16(raw & 0xffff)};
    TW_UINT32 item;
    std::memcpy(&item, &f, 4);
    return item;
}

} // namespace

class tst_TwainManager : public QObject
{
    Q_OBJECT

private:
    void* m_library = nullptr;
    TW_IDENTITY m_app{};
    TW_IDENTITY m_source{};

    TW_UINT16 call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data)
    {
        return g_entry(&m_app, dest, dg, dat, msg, data);
    }
    TW_UINT16 src(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, void* data)
    {
        return call(&m_source, dg, dat, msg, data);
    }
    TW_STATUS statusOf(TW_IDENTITY* dest)
    {
        TW_STATUS status{0xffff, 0xffff};
        call(dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        return status;
    }
    TW_UINT16 condition(TW_IDENTITY* dest) { return statusOf(dest).ConditionCode; }
    TW_UINT16 sourceCondition() { return condition(&m_source); }

    void openManager()
    {
        std::memset(&m_app, 0, sizeof m_app);
        m_app.ProtocolMajor = 2;
        m_app.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
        std::strcpy(m_app.ProductName, "tst_TwainManager");
        QCOMPARE(call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_SUCCESS);
        QVERIFY(m_app.Id != 0);
    }
    void openSource(const char* saneName = "test:0")
    {
        TW_IDENTITY id{};
        TW_UINT16 rc = call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id);
        while (rc == TWRC_SUCCESS && std::strcmp(id.ProductFamily, saneName) != 0)
            rc = call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id);
        QCOMPARE(rc, TWRC_SUCCESS);
        QCOMPARE(call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &id), TWRC_SUCCESS);
        m_source = id;
    }
    TW_UINT16 setCap(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 item)
    {
        auto* one = static_cast<TW_ONEVALUE*>(std::malloc(sizeof(TW_ONEVALUE)));
        one->ItemType = type;
        one->Item = item;
        TW_CAPABILITY c{cap, TWON_ONEVALUE, one};
        const TW_UINT16 rc = src(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
        std::free(one);
        return rc;
    }
    TW_UINT16 setSaneOption(const char* assignment)
    {
        char block[2 + 256] = {};
        const TW_UINT16 type = TWTY_STR255;
        std::memcpy(block, &type, 2);
        std::strncpy(block + 2, assignment, 255);
        TW_CAPABILITY c{CAP_TARVO_SANEOPTION, TWON_ONEVALUE, block};
        return src(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    }
    bool getCap(TW_UINT16 cap, TW_ONEVALUE& out)
    {
        TW_CAPABILITY c{cap, TWON_DONTCARE16, nullptr};
        if (src(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &c) != TWRC_SUCCESS || !c.hContainer)
            return false;
        out = *static_cast<TW_ONEVALUE*>(c.hContainer);
        std::free(c.hContainer);
        return c.ConType == TWON_ONEVALUE;
    }
    // Enables without a callback and takes the ready event as a Windows-style loop would.
    void enable()
    {
        TW_USERINTERFACE ui{0, 1, nullptr};
        QCOMPARE(src(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        TW_EVENT event{nullptr, 0};
        QCOMPARE(src(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
        QCOMPARE(event.TWMessage, MSG_XFERREADY);
    }
    TW_UINT16 setTarget(const QString& path, TW_UINT16 format = TWFF_BMP)
    {
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, path.toUtf8().constData(), 255);
        setup.Format = format;
        return src(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    }
    TW_UINT16 endTransfer()
    {
        TW_PENDINGXFERS pending{};
        if (src(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS)
            return 0xfffe;
        return pending.Count;
    }
    // The whole transfer loop of an application: returns the files written.
    QStringList runJob(const QString& dir)
    {
        QStringList written;
        for (int n = 0; n < 100; ++n) {
            TW_IMAGEINFO info{};
            if (src(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS)
                break;
            const QString path = QString("%1/page-%2.bmp").arg(dir).arg(n);
            setTarget(path);
            if (src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) == TWRC_XFERDONE)
                written << path;
            if (endTransfer() == 0)
                break;
        }
        return written;
    }
    void closeAll()
    {
        TW_USERINTERFACE ui{};
        src(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        QCOMPARE(call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source), TWRC_SUCCESS);
    }

private slots:
    void initTestCase()
    {
        qputenv("SANE_CONFIG_DIR", TARVO_SANE_CONFIG);
        m_library = dlopen(TARVO_DSM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(m_library, dlerror());
        g_entry = reinterpret_cast<DSMENTRYPROC>(dlsym(m_library, "DSM_Entry"));
        QVERIFY(g_entry);
    }
    void init() { openManager(); }
    void cleanup()
    {
        // Whatever a test left open, bring the manager back to closed.
        TW_PENDINGXFERS pending{};
        TW_USERINTERFACE ui{};
        src(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        src(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
        src(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source);
        QCOMPARE(call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr), TWRC_SUCCESS);
        std::memset(&m_source, 0, sizeof m_source);
    }

    void refusesCallsOutOfState_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("rc");
        QTest::addColumn<int>("cc");
        QTest::newRow("enable before open") << 0 << int(TWRC_FAILURE) << int(TWCC_SEQERROR);
        QTest::newRow("close while enabled") << 3 << int(TWRC_FAILURE) << int(TWCC_SEQERROR);
        QTest::newRow("unknown source") << 4 << int(TWRC_FAILURE) << int(TWCC_BADDEST);
        QTest::newRow("unknown triplet") << 5 << int(TWRC_FAILURE) << int(TWCC_BADPROTOCOL);
    }
    void refusesCallsOutOfState()
    {
        QFETCH(int, step);
        QFETCH(int, rc);
        QFETCH(int, cc);
        TW_IDENTITY listed{};
        QCOMPARE(call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &listed), TWRC_SUCCESS);
        TW_USERINTERFACE ui{0, 0, nullptr};
        TW_UINT16 got = 0;
        TW_IDENTITY* dest = &m_source;
        if (step == 0) {
            dest = &listed;
            got = call(dest, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
        } else if (step == 4) {
            TW_IDENTITY stranger{};
            stranger.Id = 4711;
            got = call(&stranger, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
            dest = nullptr;
        } else {
            openSource();
            if (step == 5) {
                got = src(DG_CONTROL, DAT_XFERGROUP, MSG_GET, &ui);
            } else {
                QCOMPARE(src(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
                got = call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source);
                dest = nullptr;
            }
        }
        QCOMPARE(int(got), rc);
        QCOMPARE(int(condition(dest)), cc);
    }

    void capabilities_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rc");
        QTest::addColumn<int>("cc");
        QTest::addColumn<double>("readBack"); // NaN: not read; -1: a whole number next to value
        const double no = std::nan("");
        const auto row = [](const char* name, int cap, int type, double value, int rc, int cc,
                            double readBack) {
            QTest::newRow(name) << cap << type << value << rc << cc << readBack;
        };
        row("resolution snapped", ICAP_YRESOLUTION, TWTY_FIX32, 300.5, TWRC_CHECKSTATUS, 0, -1);
        row("resolution zero", ICAP_XRESOLUTION, TWTY_FIX32, 0, TWRC_FAILURE, TWCC_BADVALUE, no);
        row("pixel type unknown", ICAP_PIXELTYPE, TWTY_UINT16, 7, TWRC_FAILURE, TWCC_BADVALUE, no);
        row("A0 clamped", ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A0, TWRC_CHECKSTATUS, 0, TWSS_A0);
        row("duplex on", CAP_DUPLEXENABLED, TWTY_BOOL, 1, TWRC_FAILURE, TWCC_CAPUNSUPPORTED, 0);
        row("native transfer", ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE, TWRC_FAILURE, TWCC_BADVALUE,
            TWSX_FILE);
        row("TIFF files", ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWFF_TIFF, TWRC_SUCCESS, 0, TWFF_TIFF);
        row("count zero", CAP_XFERCOUNT, TWTY_INT16, 0, TWRC_FAILURE, TWCC_BADVALUE, -1);
        row("orientation 4", ICAP_ORIENTATION, TWTY_UINT16, 4, TWRC_FAILURE, TWCC_BADVALUE, 0);
        row("unknown capability", ICAP_BITDEPTH, TWTY_UINT16, 8, TWRC_FAILURE, TWCC_CAPUNSUPPORTED,
            no);
    }
    void capabilities()
    {
        QFETCH(int, cap);
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(int, rc);
        QFETCH(int, cc);
        QFETCH(double, readBack);
        openSource();
        const TW_UINT32 item =
            type == TWTY_FIX32 ? fix32Item(value) : TW_UINT32(TW_UINT16(TW_INT16(value)));
        QCOMPARE(int(setCap(TW_UINT16(cap), TW_UINT16(type), item)), rc);
        QCOMPARE(int(sourceCondition()), cc);
        if (std::isnan(readBack))
            return;
        TW_ONEVALUE one{};
        QVERIFY(getCap(TW_UINT16(cap), one));
        QCOMPARE(int(one.ItemType), type);
        double got = 0;
        if (type == TWTY_FIX32) {
            TW_FIX32 f;
            std::memcpy(&f, &one.Item, 4);
            got = fix32ToDouble(f);
        } else {
            got = type == TWTY_INT16 ? double(TW_INT16(one.Item)) : double(TW_UINT16(one.Item));
        }
        if (type == TWTY_FIX32 && readBack == -1.0) {
            QCOMPARE(got, std::round(got));
            QVERIFY(std::fabs(got - value) <= 0.5);
        } else {
            QCOMPARE(got, readBack);
        }
    }

    // A4 at 300 dpi is 2480 × 3508 pixels; a quarter turn swaps the axes.
    void sheetResolutionAndTurnShapeThePage()
    {
        const QSize size(3508, 2480);
        openSource();
        QCOMPARE(setCap(ICAP_XRESOLUTION, TWTY_FIX32, fix32Item(300)), TWRC_SUCCESS);
        QCOMPARE(setCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A4), TWRC_SUCCESS);
        QCOMPARE(setCap(ICAP_ORIENTATION, TWTY_UINT16, TWOR_ROT90), TWRC_SUCCESS);
        enable();
        TW_IMAGEINFO info{};
        QCOMPARE(src(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        const QSize announced(info.ImageWidth, info.ImageLength);
        QVERIFY2(std::abs(announced.width() - size.width()) <= 1 &&
                     std::abs(announced.height() - size.height()) <= 1,
                 qPrintable(QString("%1x%2").arg(announced.width()).arg(announced.height())));
        QCOMPARE(fix32ToDouble(info.XResolution), 300.0);
        QCOMPARE(info.PixelType, TW_INT16(TWPT_GRAY));
        // The file holds the page image info announced.
        QTemporaryDir dir;
        QCOMPARE(setTarget(dir.filePath("a4.bmp")), TWRC_SUCCESS);
        QCOMPARE(src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
        QCOMPARE(QImage(dir.filePath("a4.bmp")).size(), announced);
        QCOMPARE(endTransfer(), TW_UINT16(0));
    }

    // Dropping a big page the moment it starts must not hang the device's reader.
    void resetRightAfterStart()
    {
        for (int round = 0; round < 15; ++round) {
            openSource();
            QCOMPARE(setCap(ICAP_XRESOLUTION, TWTY_FIX32, fix32Item(300)), TWRC_SUCCESS);
            QCOMPARE(setCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A4), TWRC_SUCCESS);
            enable();
            TW_IMAGEINFO info{};
            QCOMPARE(src(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
            TW_PENDINGXFERS pending{};
            QCOMPARE(src(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
            closeAll();
        }
    }

    // Each frame layout SANE can deliver must end up as the page of the plain
    // single-frame scan (the file kind tests cover that one).
    void framesBecomeOnePage_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("pixelType");
        QTest::addColumn<bool>("sameAsPlain");
        QTest::newRow("grey 16 bit")
            << QStringList{"mode=Gray", "depth=16"} << int(TWPT_GRAY) << true;
        QTest::newRow("colour three-pass BGR")
            << QStringList{"mode=Color", "three-pass=yes", "three-pass-order=BGR"} << int(TWPT_RGB)
            << true;
        QTest::newRow("colour in odd pieces")
            << QStringList{"mode=Color", "read-limit=yes", "read-limit-size=7"} << int(TWPT_RGB)
            << true;
        QTest::newRow("line-art") << QStringList{"mode=Gray", "depth=1"} << int(TWPT_BW) << false;
        QTest::newRow("hand scanner")
            << QStringList{"mode=Gray", "hand-scanner=yes"} << int(TWPT_GRAY) << false;
    }
    void framesBecomeOnePage()
    {
        QFETCH(QStringList, options);
        QFETCH(int, pixelType);
        QFETCH(bool, sameAsPlain);
        QTemporaryDir dir;
        auto scan = [&](const QStringList& opts, const QString& stem) {
            openSource();
            for (const QString& o : opts)
                QVERIFY2(setSaneOption(o.toUtf8().constData()) == TWRC_SUCCESS, qPrintable(o));
            QCOMPARE(setSaneOption("test-picture=Color pattern"), TWRC_SUCCESS);
            enable();
            TW_IMAGEINFO info{};
            QCOMPARE(src(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
            QCOMPARE(int(info.PixelType), pixelType);
            setTarget(dir.filePath(stem + ".bmp"));
            QCOMPARE(src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
            QCOMPARE(endTransfer(), TW_UINT16(0));
            closeAll();
        };
        scan(options, "page");
        QImage page(dir.filePath("page.bmp"));
        QVERIFY(!page.isNull());
        QVERIFY(page.height() > 10);
        // The pattern must show, or comparing pages below proves nothing.
        QSet<QRgb> colours;
        for (int y = 0; y < page.height(); y += 7)
            for (int x = 0; x < page.width(); x += 3)
                colours.insert(page.pixel(x, y));
        QVERIFY(colours.size() > 1);
        QCOMPARE(page.convertToFormat(QImage::Format_RGB32).allGray(), pixelType != TWPT_RGB);
        if (!sameAsPlain)
            return;
        // The reference is the plain 8-bit single-frame scan of the same mode.
        scan({options.first()}, "plain");
        QImage reference(dir.filePath("plain.bmp"));
        QCOMPARE(page.size(), reference.size());
        QVERIFY(page.convertToFormat(QImage::Format_RGB32) ==
                reference.convertToFormat(QImage::Format_RGB32));
    }

    // A page is written while it is read when it needs no turn and its format
    // runs top to bottom. The reference is the same page written after a failed
    // first try, from the page the source then holds in memory.
    void streamedPageMatchesHeldPage_data()
    {
        QTest::addColumn<int>("pixelType");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("compression");
        QTest::addColumn<bool>("readOnlyFolder"); // else a file size limit cuts the write
        QTest::addColumn<int>("cc");
        const int jfif = TWFF_JFIF, tiff = TWFF_TIFF;
        QTest::newRow("colour JPEG, read-only folder")
            << int(TWPT_RGB) << jfif << 0 << true << int(TWCC_DENIED);
        QTest::newRow("grey TIFF LZW, cut short")
            << int(TWPT_GRAY) << tiff << int(TWCP_LZW) << false << int(TWCC_FILEWRITEERROR);
        QTest::newRow("line-art TIFF G4, read-only folder")
            << int(TWPT_BW) << tiff << int(TWCP_GROUP4) << true << int(TWCC_DENIED);
    }
    void streamedPageMatchesHeldPage()
    {
        QFETCH(int, pixelType);
        QFETCH(int, format);
        QFETCH(int, compression);
        QFETCH(bool, readOnlyFolder);
        QFETCH(int, cc);
        QTemporaryDir dir;
        const QString locked = dir.filePath("locked");
        QVERIFY(QDir().mkpath(locked));
        openSource();
        QCOMPARE(setCap(ICAP_PIXELTYPE, TWTY_UINT16, TW_UINT32(pixelType)), TWRC_SUCCESS);
        QCOMPARE(setCap(ICAP_COMPRESSION, TWTY_UINT16, TW_UINT32(compression)), TWRC_SUCCESS);
        QCOMPARE(setCap(ICAP_XRESOLUTION, TWTY_FIX32, fix32Item(75)), TWRC_SUCCESS);
        QCOMPARE(setSaneOption("test-picture=Color pattern"), TWRC_SUCCESS);
        const auto scanOnce = [&](const QString& name, bool failFirst) -> QByteArray {
            enable();
            TW_IMAGEINFO info{};
            if (src(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS)
                return "no image info";
            if (failFirst) {
                const QString target = locked + "/first";
                setTarget(target, TW_UINT16(format));
                TW_UINT16 rc;
                if (readOnlyFolder) {
                    ReadOnlyGuard guard(locked);
                    rc = src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
                } else {
                    // Past the file's header, the disk is full.
                    rlimit saved{};
                    getrlimit(RLIMIT_FSIZE, &saved);
                    rlimit limited = saved;
                    limited.rlim_cur = 1024;
                    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
                    setrlimit(RLIMIT_FSIZE, &limited);
                    rc = src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
                    setrlimit(RLIMIT_FSIZE, &saved);
                    std::signal(SIGXFSZ, oldHandler);
                }
                if (rc != TWRC_FAILURE || sourceCondition() != cc)
                    return "first try did not fail as expected";
                const QStringList left =
                    QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden);
                if (!left.isEmpty())
                    return "left behind: " + left.join(' ').toUtf8();
            }
            setTarget(dir.filePath(name), TW_UINT16(format));
            if (src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) != TWRC_XFERDONE)
                return "not written";
            endTransfer();
            TW_USERINTERFACE ui{};
            src(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
            QFile file(dir.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
        };
        const QByteArray streamed = scanOnce("streamed", false);
        const QByteArray held = scanOnce("held", true);
        QVERIFY2(held.size() > 1000, held.constData());
        // Same pixels and the same resolution make the same encoder output.
        QCOMPARE(streamed.size(), held.size());
        QVERIFY(streamed == held);
        const QImage page = QImage::fromData(streamed);
        QVERIFY(!page.isNull());
        QCOMPARE(qRound(page.dotsPerMeterX() * 0.0254), 75);
    }

    void readFailuresNameTheirCause_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<int>("cc");
        QTest::addColumn<int>("data");
        QTest::newRow("jam") << QByteArray("SANE_STATUS_JAMMED") << int(TWCC_PAPERJAM) << 0;
        QTest::newRow("busy") << QByteArray("SANE_STATUS_DEVICE_BUSY")
                              << int(TWCC_CHECKDEVICEONLINE) << 1;
        QTest::newRow("memory") << QByteArray("SANE_STATUS_NO_MEM") << int(TWCC_OPERATIONERROR)
                                << 0;
    }
    void readFailuresNameTheirCause()
    {
        QFETCH(QByteArray, status);
        QFETCH(int, cc);
        QFETCH(int, data);
        QTemporaryDir dir;
        openSource();
        QCOMPARE(setCap(CAP_FEEDERENABLED, TWTY_BOOL, 1), TWRC_SUCCESS);
        QCOMPARE(setSaneOption(("read-return-value=" + status).constData()), TWRC_SUCCESS);
        enable();
        QCOMPARE(setTarget(dir.filePath("failed.bmp")), TWRC_SUCCESS);
        QCOMPARE(src(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
        const TW_STATUS got = statusOf(&m_source);
        QCOMPARE(int(got.ConditionCode), cc);
        QCOMPARE(int(got.Data), data);
        QVERIFY(!QFile::exists(dir.filePath("failed.bmp")));
        // A failed page ends the job, even from a feeder.
        QCOMPARE(endTransfer(), TW_UINT16(0));
    }

    void callbackComesFromAnotherThread()
    {
        QTemporaryDir dir;
        g_callback.calls = 0;
        openSource();
        int refCon = 0;
        TW_CALLBACK2 cb{reinterpret_cast<TW_MEMREF>(&onCallback),
                        reinterpret_cast<TW_UINTPTR>(&refCon), 0};
        QCOMPARE(src(DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &cb), TWRC_SUCCESS);
        TW_USERINTERFACE ui{1, 1, nullptr};
        QCOMPARE(src(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
        QCOMPARE(ui.ModalUI, TW_BOOL(0));
        QTRY_COMPARE(g_callback.calls.load(), 1);
        QVERIFY(g_callback.thread != std::this_thread::get_id());
        QCOMPARE(g_callback.message.load(), MSG_XFERREADY);
        QCOMPARE(g_callback.refCon, static_cast<void*>(&refCon));
        QCOMPARE(g_callback.nestedResult.load(), TWRC_FAILURE);
        // With a callback registered the event path stays quiet.
        TW_EVENT event{nullptr, 0};
        QCOMPARE(src(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
        QCOMPARE(runJob(dir.path()).size(), 1);
        closeAll();
        QCOMPARE(g_callback.calls.load(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_TwainManager)
#include "tst_TwainManager.moc"
