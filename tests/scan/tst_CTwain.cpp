// The application's TWAIN side against our manager and SANE's test devices:
// naming, listing, a missing manager, flatbed and feeder scans, page kinds,
// failures in the middle of a batch, device switching and threads.

#include "QTwain.h"
#include "ScanFileName.h"
#include "ScanSession.h"
#include "StartupPreparation.h"
#include "dsm/SaneOptionCapability.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <cstring>

namespace {

// QTwain with a way to set a SANE option of the open source, as the tests
// simulate paper jams with the test device's status option.
class TestTwain : public QTwain
{
public:
    bool setSaneOption(const QString& assignment)
    {
        const QByteArray text = assignment.toUtf8();
        auto* block = static_cast<char*>(std::calloc(1, 2 + 256));
        const TW_UINT16 type = TWTY_STR255;
        std::memcpy(block, &type, 2);
        std::memcpy(block + 2, text.constData(), static_cast<size_t>(std::min(text.size(), 255)));
        TW_CAPABILITY capability{CAP_TARVO_SANEOPTION, TWON_ONEVALUE, block};
        const bool ok = CallDSMEntry(&m_source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) ==
                        TWRC_SUCCESS;
        std::free(block);
        return ok;
    }

    void configure(const QString& dir, int pixel = TWPT_GRAY, int format = TWFF_JFIF,
                   bool adf = false)
    {
        feeder = adf ? 1 : 0;
        pixelType = pixel;
        fileFormat = format;
        resolution = 75;
        orientation = TWOR_ROT0;
        paperSize = TWSS_NONE;
        compression = TWCP_NONE;
        jpegQuality = TWJQ_MEDIUM;
        scanNaming = stScanNaming();
        scanNaming.directory = dir;
        scanNaming.nextCode = 1;
        scanNaming.codeLength = 4;
        scanNaming.extension = format == TWFF_BMP ? ".bmp" : format == TWFF_TIFF ? ".tif" : ".jpg";
    }

    // Starts a scan and waits for the source's notification to be handled.
    bool scan()
    {
        QSignalSpy handled(this, &QTwain::sourceMessageHandled);
        if (!Acquire(-1))
            return false;
        return handled.wait(60000);
    }
};

QString family(const TW_IDENTITY& identity)
{
    return QString::fromUtf8(identity.ProductFamily);
}

} // namespace

class TestCTwain : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    QWindow m_window;

    stScanJob job(const QString& dir, int device = 0, bool adf = false) const
    {
        stScanJob scan;
        scan.deviceIndex = device;
        scan.feeder = adf ? 1 : 0;
        scan.resolution = 75;
        scan.pixelType = TWPT_GRAY;
        scan.naming.directory = dir;
        scan.naming.nextCode = 1;
        scan.naming.codeLength = 4;
        scan.naming.extension = ".jpg";
        return scan;
    }

    // The session signals from its own thread. Receivers living here get the
    // signal queued, so one sent before the wait begins is not missed.
    static bool waitUntil(const bool& done, int timeout)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done && clock.elapsed() < timeout)
            QTest::qWait(5);
        return done;
    }

    // Runs one scan through a session that has listed its sources.
    static stScanResult runScan(ScanSession& session, const stScanJob& scan)
    {
        QObject receiver;
        stScanResult result;
        bool done = false;
        connect(&session, &ScanSession::scanFinished, &receiver, [&](const stScanResult& r) {
            result = r;
            done = true;
        });
        session.startScan(scan);
        waitUntil(done, 60000);
        return result;
    }

    bool listed(ScanSession& session)
    {
        QObject receiver;
        bool done = false;
        connect(&session, &ScanSession::sourcesListed, &receiver, [&] { done = true; });
        session.initialise(m_window.winId());
        return waitUntil(done, 30000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QVERIFY(!qEnvironmentVariableIsEmpty("TARVO_TWAIN_DSM"));
    }

    void scanFileNameWithoutFolderUsesPrivateTemp()
    {
        stScanNaming naming;
        const QString path = scanFileName(naming, true);
        QCOMPARE(naming.directory, scanWorkDir());
        QCOMPARE(path, scanWorkDir() + "/000");
    }

    // Run in a child process with an empty SANE configuration, so this
    // process's manager keeps its devices.
    void noScannerChild()
    {
        if (qEnvironmentVariableIsEmpty("TARVO_TEST_NO_SCANNER"))
            QSKIP("runs in the child of noScannerListsNothing");
        TestTwain twain;
        twain.setNativeParent(m_window.winId());
        QTest::ignoreMessage(QtDebugMsg, "没有可用的扫描仪");
        QVERIFY(twain.initTwain());
        QVERIFY(twain.sourceList.isEmpty());
        QVERIFY(!twain.isSourceSelected());
    }

    void noScannerListsNothing()
    {
        QTemporaryDir empty;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SANE_CONFIG_DIR", empty.path());
        env.insert("TARVO_TEST_NO_SCANNER", "1");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"noScannerChild"});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
    }

    void missingManagerIsReportedOnce()
    {
        const QByteArray saved = qgetenv("TARVO_TWAIN_DSM");
        qputenv("TARVO_TWAIN_DSM", QFile::encodeName(m_tmp.path() + "/none/libnone.so"));
        CTwain twain;
        QVERIFY(!twain.InitTwain(m_window.winId()));
        QVERIFY(!twain.isLibraryLoaded());
        QCOMPARE(twain.lastReturnCode(), TWRC_SUCCESS);
        {
            ScanSession session;
            session.initialise(m_window.winId());
            const stScanResult result = runScan(session, job(m_tmp.path()));
            QVERIFY(!result.ok && result.paths.isEmpty());
            QCOMPARE(result.message, QString("加载扫描仪驱动失败：TWAINDSM.DLL"));
        }
        qputenv("TARVO_TWAIN_DSM", saved);
    }

    void flatbedGivesOnePageOnTheTwainThread()
    {
        QTemporaryDir dir;
        ScanSession session;
        QVERIFY(listed(session));
        Qt::HANDLE pageThread = nullptr;
        bool onTwainThread = false;
        connect(
            &session, &ScanSession::pageArrived, this,
            [&] {
                pageThread = QThread::currentThreadId();
                onTwainThread = QThread::currentThread() == session.twainThread();
            },
            Qt::DirectConnection);
        QSignalSpy pages(&session, &ScanSession::pageArrived);
        const stScanResult result = runScan(session, job(dir.path()));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.paths, QStringList{dir.path() + "/0001.jpg"});
        QCOMPARE(pages.count(), 1);
        // The manager's notifier calls back; the transfer runs where all TWAIN calls run.
        QVERIFY(onTwainThread && pageThread != QThread::currentThreadId());
        QVERIFY(session.lastCallbackThread() && session.lastCallbackThread() != pageThread);
        QVERIFY(session.lastCallbackThread() != QThread::currentThreadId());
    }

    void feederBatchEndsAfterTenPages()
    {
        QTemporaryDir dir;
        ScanSession session;
        QVERIFY(listed(session));
        const stScanResult result = runScan(session, job(dir.path(), 0, true));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.paths.size(), 10);
        QCOMPARE(result.paths.last(), dir.path() + "/0010.jpg");
        // The source is ready for another job, its feeder full again.
        QTemporaryDir other;
        QCOMPARE(runScan(session, job(other.path(), 0, true)).paths.size(), 10);
    }

    void stopFeederEndsTheBatchAtAPageBoundary()
    {
        QTemporaryDir dir;
        ScanSession session;
        QVERIFY(listed(session));
        // Asked while the first page is being handed over.
        connect(
            &session, &ScanSession::pageArrived, this, [&] { session.stopFeeder(); },
            Qt::DirectConnection);
        const stScanResult result = runScan(session, job(dir.path(), 0, true));
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.paths, QStringList{dir.path() + "/0001.jpg"});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    // Each pixel kind reaches the file through the settings (the writer's own
    // test covers every file kind).
    void pageKindsMatchSettings_data()
    {
        QTest::addColumn<int>("pixel");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("compression");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<int>("depth");
        const int bw = TWPT_BW, grey = TWPT_GRAY, rgb = TWPT_RGB, none = TWCP_NONE;
        const int bmp = TWFF_BMP, tif = TWFF_TIFF, jpg = TWFF_JFIF;
        const QByteArray bm("BM"), ii("II*\0", 4), jfif("\xff\xd8");
        QTest::newRow("line-art tif G4") << bw << tif << int(TWCP_GROUP4) << ii << 1;
        QTest::newRow("grey jpg") << grey << jpg << none << jfif << 8;
        QTest::newRow("colour bmp") << rgb << bmp << none << bm << 32;
    }

    void pageKindsMatchSettings()
    {
        QFETCH(int, pixel);
        QFETCH(int, format);
        QFETCH(int, compression);
        QFETCH(QByteArray, magic);
        QTemporaryDir dir;
        TestTwain twain;
        twain.setNativeParent(m_window.winId());
        QVERIFY(twain.initTwain() && twain.OpenSource());
        QVERIFY(twain.setSaneOption("test-picture=Color pattern"));
        twain.configure(dir.path(), pixel, format);
        twain.compression = compression;
        twain.resolution = 150;
        QVERIFY(twain.scan());
        QCOMPARE(twain.lastCondition(), TWCC_SUCCESS);
        QCOMPARE(twain.acquiredFiles.size(), 1);
        QFile file(twain.acquiredFiles.first());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(magic.size()), magic);
        const QImage page(twain.acquiredFiles.first());
        QTEST(page.depth(), "depth");
        QCOMPARE(page.allGray(), pixel != TWPT_RGB);
        QCOMPARE(qRound(page.dotsPerMeterY() * 0.0254), 150);
        // The pattern shows: line art in black and white only.
        QSet<QRgb> colours;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                colours.insert(page.pixel(x, y) | 0xff000000);
        if (pixel == TWPT_BW)
            QCOMPARE(colours, (QSet<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}));
        else
            QVERIFY(colours.size() > 2);
    }

    // A page the source must not write (its name is taken, or too long for the
    // protocol) fails the scan with the reason; nothing is overwritten and the
    // source takes the next job.
    void refusedPageLeavesFilesAndSourceReady_data()
    {
        QTest::addColumn<bool>("longPath");
        QTest::addColumn<QString>("message");
        QTest::newRow("taken") << false << "扫描仪错误：文件已存在";
        QTest::newRow("path over 255 bytes") << true << "扫描仪错误：文件路径过长";
    }

    void refusedPageLeavesFilesAndSourceReady()
    {
        QFETCH(bool, longPath);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile taken(dir.path() + "/0001.jpg");
        QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("mine") == 4);
        taken.close();
        ScanSession session;
        QVERIFY(listed(session));
        stScanJob refused = job(dir.path());
        if (longPath)
            refused.naming.prefix = QString(260 - dir.path().size(), QChar(0x6863)); // 档
        const stScanResult result = runScan(session, refused);
        QVERIFY(!result.ok);
        QCOMPARE(result.message, message);
        QVERIFY(result.paths.isEmpty());
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("mine"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        // Skipping taken names lets the next scan through.
        stScanJob skipping = job(dir.path());
        skipping.skipTakenNames = true;
        const stScanResult next = runScan(session, skipping);
        QVERIFY2(next.ok, qPrintable(next.message));
        QCOMPARE(next.paths, QStringList{dir.path() + "/0002.jpg"});
    }

    // Options can change only between jobs, so the jam hits the first page of
    // a feeder job after an earlier page: that page stays and the failed one
    // leaves nothing. (The scan tab's test scans again after a jam.)
    void jamKeepsEarlierPagesAndLeavesNothing()
    {
        QTemporaryDir dir;
        TestTwain twain;
        twain.setNativeParent(m_window.winId());
        QVERIFY(twain.initTwain() && twain.OpenSource());
        twain.configure(dir.path());
        QVERIFY(twain.scan());
        QCOMPARE(twain.lastCondition(), TWCC_SUCCESS);

        QVERIFY(twain.setSaneOption("read-return-value=SANE_STATUS_JAMMED"));
        // Line art, so the test device's page fits in its reader's pipe, as a
        // real jammed scanner's reader has stopped sending.
        twain.configure(dir.path(), TWPT_BW, TWFF_TIFF, true);
        twain.scanNaming.nextCode = 2;
        QVERIFY(twain.scan());
        QCOMPARE(twain.lastCondition(), TWCC_PAPERJAM);
        QCOMPARE(twain.lastError(), QString("卡纸，请检查进纸器"));
        QVERIFY(!twain.isSourceEnabled());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"0001.jpg"});
    }

    // Both test devices are listed, the first chosen; choosing the other reopens.
    void choosingAnotherDeviceReopens()
    {
        QTemporaryDir dir;
        TestTwain twain;
        twain.setNativeParent(m_window.winId());
        QVERIFY(twain.initTwain());
        QCOMPARE(twain.sourceList.size(), 2);
        twain.configure(dir.path());
        QCOMPARE(family(twain.currentSource()), QString("test:0"));
        QVERIFY(twain.UseSource(0) && twain.scan());
        QVERIFY(twain.isSourceOpen());
        QVERIFY(twain.UseSource(1));
        QVERIFY(!twain.isSourceOpen());
        QVERIFY(twain.scan());
        QCOMPARE(family(twain.currentSource()), QString("test:1"));
        QCOMPARE(twain.lastCondition(), TWCC_SUCCESS);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
        QVERIFY(!twain.UseSource(2));
    }
};

QTEST_MAIN(TestCTwain)
#include "tst_CTwain.moc"
