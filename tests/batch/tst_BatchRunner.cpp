// The batch runner on real files: value rules of the actions, skipped and
// failing files, the numbering pass, and one-thread vs several-thread runs.
#include "BatchPageIO.h"
#include "BatchRunner.h"
#include "BatchTestPages.h"
#include "JpegPageCodec.h"
#include "OperationId.h"
#include "ToneOps.h"
#include "Units.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <QtTest>

using namespace BatchTestPages;

namespace {

cv::Mat readBack(const QString& path)
{
    cv::Mat mat;
    int x = 0, y = 0;
    BatchPageIO::read(path, mat, x, y);
    return mat;
}

QStringList progressOf(const BatchJob& job, BatchSummary* summary = nullptr)
{
    QStringList texts;
    const BatchSummary result =
        BatchRunner::run(job, [&texts](const QString& text) { texts.append(text); });
    if (summary)
        *summary = result;
    return texts;
}

BatchJob jobFor(const QStringList& files, const QList<int>& actions)
{
    BatchJob job;
    job.files = files;
    job.actions = actions;
    return job;
}

} // namespace

class TestBatchRunner : public QObject
{
    Q_OBJECT

private slots:
    void noActionRewritesWithOwnResolution_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("dpi");
        QTest::newRow("colour jpeg") << "页 1.jpg" << 3 << 200;
        QTest::newRow("grey tiff") << "t.tif" << 1 << 600;
    }

    // Decoded and written back even with nothing to do; shape and resolution stay.
    void noActionRewritesWithOwnResolution()
    {
        QFETCH(QString, name);
        QFETCH(int, channels);
        QFETCH(int, dpi);
        QTemporaryDir dir;
        const QString path = write(dir.filePath(name), page(120, 90, channels), dpi);
        QFile file(path);
        const QDateTime old = QDateTime::currentDateTime().addDays(-3);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(old, QFileDevice::FileModificationTime));
        file.close();

        BatchSummary summary;
        QCOMPARE(progressOf(jobFor({path}, {}), &summary), QStringList{"1/1"});
        QCOMPARE(summary.initialResolutions.value(path), QPoint(dpi, dpi));
        QVERIFY(QFileInfo(path).lastModified() > old.addDays(1));
        const PageInfo info = PageFile::readInfo(path);
        QCOMPARE(QSize(info.width, info.height), QSize(120, 90));
        QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(dpi, dpi));
        QCOMPARE(readBack(path).channels(), channels);
    }

    void resolutionStepOrder_data()
    {
        QTest::addColumn<QList<int>>("actions");
        QTest::addColumn<int>("processDpi");
        QTest::addColumn<QSize>("size");
        // File 300 x 200 at 200 dpi, page 50 x 80 mm.
        QTest::newRow("54 then 55") << QList<int>{IMG_OPT_DPI, IMG_OPT_PAGESIZE} << 100
                                    << QSize(mmToPixels(50, 100), mmToPixels(80, 100));
        QTest::newRow("55 then 54") << QList<int>{IMG_OPT_PAGESIZE, IMG_OPT_DPI} << 100
                                    << QSize(mmToPixels(50, 200), mmToPixels(80, 200));
        // The DPI dialog never accepted: the file carries 0 x 0.
        QTest::newRow("54 unset") << QList<int>{IMG_OPT_DPI} << 0 << QSize(300, 200);
    }

    void resolutionStepOrder()
    {
        QFETCH(QList<int>, actions);
        QFETCH(int, processDpi);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString path = write(dir.filePath("a.jpg"), page(300, 200), 200);
        BatchJob job = jobFor({path}, actions);
        job.dpiX = job.dpiY = processDpi;
        job.pageSize = {50, 80};
        BatchSummary summary;
        progressOf(job, &summary);
        QVERIFY(summary.allSucceeded());
        const PageInfo info = PageFile::readInfo(path);
        QCOMPARE(QSize(info.width, info.height), size);
        QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(processDpi, processDpi));
        QCOMPARE(summary.initialResolutions.value(path), QPoint(200, 200));
    }

    // Garbage, zero bytes and a cut-off JPEG: skipped, left alone, no progress step.
    void undecodableFilesAreSkipped()
    {
        QTemporaryDir dir;
        const QString good1 = write(dir.filePath("1.jpg"), page(200, 150));
        const QString good2 = write(dir.filePath("2.png"), page(200, 150));
        const QByteArray whole = bytesOf(good1);
        for (const QByteArray& bad :
             {QByteArray("not an image"), QByteArray(), whole.left(whole.size() / 2)}) {
            const QString broken = writeBytes(dir.filePath("bad.jpg"), bad);
            BatchSummary summary;
            const QStringList texts =
                progressOf(jobFor({good1, broken, good2}, {IMG_OPT_ROTATE_180}), &summary);
            QCOMPARE(texts, (QStringList{"1/3", "2/3"}));
            QCOMPARE(summary.skipped, QStringList{broken});
            QCOMPARE(bytesOf(broken), bad);
        }
    }

    // 43 first in the list still stamps after the turn, over the files in list order.
    void numberingAfterAllOtherActions()
    {
        QTemporaryDir dir;
        const cv::Mat white(400, 300, CV_8UC3, cv::Scalar(255, 255, 255));
        const QStringList files = {write(dir.filePath("b.png"), white),
                                   write(dir.filePath("a.png"), white), dir.filePath("broken.png"),
                                   write(dir.filePath("c.png"), white)};
        BatchJob job = jobFor(files, {IMG_OPT_PAGENO_BATCH, IMG_OPT_ROTATE_LEFT});
        job.pageNo.area = QStringLiteral("右上");
        job.pageNo.marginHor = job.pageNo.marginVer = 2;
        job.pageNo.fontSize = 4;
        job.pageNo.fontFamily = QStringLiteral("Noto Sans CJK SC");
        BatchSummary summary;
        const QStringList texts = progressOf(job, &summary);
        QCOMPARE(texts, (QStringList{"1/4", "2/4", "3/4", "b.png", "a.png", "c.png"}));
        QCOMPARE(summary.stamped, 3);
        const int margin = mmToPixels(2, 300);
        for (const QString& path : {files[0], files[1], files[3]}) {
            cv::Mat grey = readBack(path); // an all-white page may well come back grey
            if (grey.channels() == 3)
                cv::cvtColor(grey, grey, cv::COLOR_BGR2GRAY);
            QCOMPARE(QSize(grey.cols, grey.rows), QSize(400, 300)); // turned before numbering
            // Ink in the top-right corner of the turned page, nowhere at the bottom.
            QVERIFY(cv::countNonZero(grey(cv::Rect(200, margin, 200 - margin, 60)) < 128) > 0);
            QCOMPARE(cv::countNonZero(grey(cv::Rect(0, 150, 400, 150)) < 128), 0);
        }
    }

    // Several workers give the very bytes and progress of one.
    void concurrentRunMatchesOneThread()
    {
        QTemporaryDir one;
        QTemporaryDir many;
        QStringList names;
        for (int i = 0; i < 7; ++i) {
            names << QStringLiteral("p%1.%2").arg(i).arg(i % 3 == 2 ? "png" : "jpg");
            const cv::Mat mat = page(260 + 10 * i, 340, i == 4 ? 1 : 3);
            write(one.filePath(names.last()), mat);
            write(many.filePath(names.last()), mat);
        }
        auto jobIn = [&names](const QTemporaryDir& dir, int workers) {
            BatchJob job = jobFor({}, {IMG_OPT_SLOPE_AUTO, IMG_OPT_CONTENT_DEEP, IMG_OPT_AREA_CLEAR,
                                       IMG_OPT_ROTATE_RIGHT});
            for (const QString& name : names)
                job.files << dir.filePath(name);
            // Listed twice (under another spelling): turned twice, one after the other.
            job.files.insert(2, dir.filePath("./" + names[1]));
            job.margins = {3, 3, 4, 4};
            job.workers = workers;
            return job;
        };
        const BatchJob parallel = jobIn(many, 4);
        QCOMPARE(BatchRunner::workerCount(parallel), 4);
        const QStringList singleTexts = progressOf(jobIn(one, 1));
        QCOMPARE(progressOf(parallel), singleTexts);
        QCOMPARE(singleTexts.last(), QStringLiteral("8/8"));
        for (const QString& name : names)
            QCOMPARE(bytesOf(many.filePath(name)), bytesOf(one.filePath(name)));
    }

    // A read-only page and a page whose name has no encoder keep their bytes; the run goes on.
    void unwritableFilesKeepTheirContent()
    {
        QTemporaryDir dir;
        const QString readOnly = write(dir.filePath("ro.jpg"), page(200, 150));
        const QString plain = write(dir.filePath("ok.jpg"), page(200, 150));
        const QString noEncoder = dir.filePath("page.nosuchformat");
        QVERIFY(QFile::copy(write(dir.filePath("src.png"), page(200, 150)), noEncoder));
        const QByteArray readOnlyBytes = bytesOf(readOnly);
        const QByteArray noEncoderBytes = bytesOf(noEncoder);
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

        BatchJob job = jobFor({readOnly, noEncoder, plain}, {IMG_OPT_ROTATE_LEFT});
        job.workers = 2;
        BatchSummary summary;
        QCOMPARE(progressOf(job, &summary), QStringList{"1/3"});
        QCOMPARE(summary.failed, (QStringList{readOnly, noEncoder}));
        QCOMPARE(bytesOf(readOnly), readOnlyBytes);
        QCOMPARE(bytesOf(noEncoder), noEncoderBytes);
        QCOMPARE(PageFile::readInfo(plain).width, 150);
        // No temporary file is left beside the pages.
        QCOMPARE(QDir(dir.path()).entryList({".tarvo-*"}, QDir::Files | QDir::Hidden).size(), 0);
    }

    // The direct JPEG path decodes exactly what the general reader does, and
    // refuses what it cannot take exactly (CMYK goes the general way).
    void jpegPathMatchesTheGeneralReader()
    {
        QTemporaryDir dir;
        for (int channels : {1, 3}) {
            const QString path = write(dir.filePath("c.jpg"), page(211, 157, channels), 240);
            cv::Mat direct, general;
            int x = 0, y = 0;
            QVERIFY(JpegPageCodec::decode(bytesOf(path), direct));
            QVERIFY(PageFile::loadWithDensity(path, general, x, y));
            QCOMPARE(direct.type(), general.type());
            QCOMPARE(cv::norm(direct, general, cv::NORM_INF), 0.0);
            // Written both ways: the same pixels (only the entropy coding may differ).
            const QString viaBatch = dir.filePath("b.jpg");
            QVERIFY(BatchPageIO::write(general, viaBatch, 240, 120));
            QVERIFY(PageFile::saveWithDensity(general, path, 240, 120));
            QVERIFY(PageFile::loadWithDensity(viaBatch, direct, x, y));
            QCOMPARE(QPoint(x, y), QPoint(240, 120));
            QVERIFY(PageFile::loadWithDensity(path, general, x, y));
            QCOMPARE(cv::norm(direct, general, cv::NORM_INF), 0.0);
        }
        Magick::Image cmyk(Magick::Geometry(64, 48), Magick::Color("red"));
        cmyk.colorSpace(Magick::CMYKColorspace);
        const QString cmykPath = dir.filePath("cmyk.jpg");
        cmyk.write(cmykPath.toStdString());
        cv::Mat refused;
        QVERIFY(!JpegPageCodec::decode(bytesOf(cmykPath), refused));
        QCOMPARE(readBack(cmykPath).channels(), 1);
    }

    // Temporary files of a killed run go, in every folder of the list, before pages are written.
    void leftoversOfAKilledRunAreRemoved()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("卷 2")));
        const QString one = write(dir.filePath("a.jpg"), page(80, 60));
        const QString two = write(dir.filePath("卷 2/b.png"), page(80, 60));
        // pid_max is at most 2^22: no process carries this id.
        const QString killedA = writeBytes(dir.filePath(".tarvo-99999999-aBcDeF.jpg"), "x");
        const QString killedB = writeBytes(dir.filePath("卷 2/.tarvo-99999999-aBcDeF.png"), "x");
        QTest::ignoreMessage(QtInfoMsg, qPrintable("删除遗留的临时文件：" + killedA));
        QTest::ignoreMessage(QtInfoMsg, qPrintable("删除遗留的临时文件：" + killedB));
        QCOMPARE(progressOf(jobFor({one, two}, {})), (QStringList{"1/2", "2/2"}));
        QVERIFY(!QFile::exists(killedA) && !QFile::exists(killedB));
    }
};

QTEST_MAIN(TestBatchRunner)
#include "tst_BatchRunner.moc"
