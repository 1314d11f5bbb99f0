// The batch runner on real files: value rules of the actions, skipped and
// failing files, the numbering pass, and one-thread vs several-thread runs.
// clang-format off
#include <cassert>
// clang-format on

#include "BatchPageIO.h"
#include "BatchRunner.h"
#include "JpegPageCodec.h"
#include "OperationId.h"
#include "PageFile.h"
#include "ToneOps.h"
#include "Units.h"

#include <Magick++.h>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <opencv2/imgproc.hpp>

namespace {

// A page with text-like lines, so lossy formats have something to encode.
cv::Mat page(int width, int height, int channels = 3)
{
    cv::Mat mat(height, width, CV_8UC3, cv::Scalar(236, 240, 244));
    for (int y = 20; y < height - 10; y += 24)
        cv::putText(mat, "Archive 1957 item", {10, y}, cv::FONT_HERSHEY_SIMPLEX, 0.6,
                    cv::Scalar(40, 40, 45), 2);
    if (channels == 1)
        cv::cvtColor(mat, mat, cv::COLOR_BGR2GRAY);
    return mat;
}

QString write(const QString& path, const cv::Mat& mat, int dpi)
{
    if (!PageFile::saveWithDensity(mat, path, dpi, dpi))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

} // namespace

class TestBatchRunner : public QObject
{
    Q_OBJECT

private slots:
    void emptyListWritesNothing();
    void noActionRewritesWithOwnResolution_data();
    void noActionRewritesWithOwnResolution();
    void resolutionStepOrder_data();
    void resolutionStepOrder();
    void undecodableFilesAreSkipped();
    void numberingAfterAllOtherActions();
    void redSealWorksOnWholePage();
    void concurrentRunMatchesOneThread();
    void unwritableFilesKeepTheirContent();
    void jpegPathMatchesTheGeneralReader();
};

void TestBatchRunner::emptyListWritesNothing()
{
    QTemporaryDir dir;
    BatchJob job;
    job.actions = {IMG_OPT_ROTATE_LEFT, IMG_OPT_PAGENO_BATCH};
    BatchSummary summary;
    QVERIFY(progressOf(job, &summary).isEmpty());
    QCOMPARE(summary.total, 0);
    QCOMPARE(summary.processed, 0);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void TestBatchRunner::noActionRewritesWithOwnResolution_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("dpi");
    QTest::newRow("colour jpeg") << "页 1.jpg" << 3 << 200;
    QTest::newRow("grey jpeg") << "grey.JPEG" << 1 << 300;
    QTest::newRow("png") << "p.png" << 3 << 150;
    QTest::newRow("grey tiff") << "t.tif" << 1 << 600;
}

// Decoded and written back even with nothing to do; shape and resolution stay.
void TestBatchRunner::noActionRewritesWithOwnResolution()
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

    BatchJob job;
    job.files = QStringList{path};
    BatchSummary summary;
    QCOMPARE(progressOf(job, &summary), QStringList{"1/1"});
    QCOMPARE(summary.processed, 1);
    QCOMPARE(summary.initialResolutions.value(path), QPoint(dpi, dpi));
    QVERIFY(QFileInfo(path).lastModified() > old.addDays(1));
    const PageInfo info = PageFile::readInfo(path);
    QCOMPARE(QSize(info.width, info.height), QSize(120, 90));
    QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(dpi, dpi));
    cv::Mat back;
    int x = 0, y = 0;
    QVERIFY(BatchPageIO::read(path, back, x, y));
    QCOMPARE(back.channels(), channels);
}

void TestBatchRunner::resolutionStepOrder_data()
{
    QTest::addColumn<QList<int>>("actions");
    QTest::addColumn<int>("processDpi");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("storedDpi");
    // File at 200 dpi, page 50 x 80 mm.
    const QSize atProcess(mmToPixels(50, 100), mmToPixels(80, 100));
    const QSize atFile(mmToPixels(50, 200), mmToPixels(80, 200));
    QTest::newRow("54 then 55") << QList<int>{IMG_OPT_DPI, IMG_OPT_PAGESIZE} << 100 << "jpg"
                                << atProcess << 100;
    QTest::newRow("55 then 54") << QList<int>{IMG_OPT_PAGESIZE, IMG_OPT_DPI} << 100 << "jpg"
                                << atFile << 100;
    QTest::newRow("55 then 54, tiff")
        << QList<int>{IMG_OPT_PAGESIZE, IMG_OPT_DPI} << 100 << "tif" << atFile << 100;
    // The DPI dialog never accepted: the files carry 0 x 0.
    QTest::newRow("54 unset, jpeg")
        << QList<int>{IMG_OPT_DPI} << 0 << "jpg" << QSize(300, 200) << 0;
    QTest::newRow("54 unset, png") << QList<int>{IMG_OPT_DPI} << 0 << "png" << QSize(300, 200) << 0;
}

void TestBatchRunner::resolutionStepOrder()
{
    QFETCH(QList<int>, actions);
    QFETCH(int, processDpi);
    QFETCH(QString, suffix);
    QFETCH(QSize, size);
    QFETCH(int, storedDpi);
    QTemporaryDir dir;
    const QString path = write(dir.filePath("a." + suffix), page(300, 200), 200);
    BatchJob job;
    job.files = QStringList{path};
    job.actions = actions;
    job.dpiX = job.dpiY = processDpi;
    job.pageSize = {50, 80};
    BatchSummary summary;
    progressOf(job, &summary);
    QVERIFY(summary.allSucceeded());
    const PageInfo info = PageFile::readInfo(path);
    QCOMPARE(QSize(info.width, info.height), size);
    QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(storedDpi, storedDpi));
    QCOMPARE(summary.initialResolutions.value(path), QPoint(200, 200));
}

// Garbage, zero bytes and a cut-off JPEG: skipped, left alone, no progress step.
void TestBatchRunner::undecodableFilesAreSkipped()
{
    QTemporaryDir dir;
    const QString good1 = write(dir.filePath("1.jpg"), page(200, 150), 300);
    const QString good2 = write(dir.filePath("2.png"), page(200, 150), 300);
    const QByteArray whole = bytesOf(good1);
    const QStringList bad = {dir.filePath("bad.jpg"), dir.filePath("empty.jpg"),
                             dir.filePath("cut.jpg")};
    const QList<QByteArray> badBytes = {"not an image at all", QByteArray(),
                                        whole.left(whole.size() / 2)};
    for (int i = 0; i < bad.size(); ++i) {
        QFile file(bad[i]);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(badBytes[i]);
    }
    for (const QString& broken : bad) {
        BatchJob job;
        job.files = QStringList{good1, broken, good2};
        job.actions = {IMG_OPT_ROTATE_180};
        BatchSummary summary;
        const QStringList texts = progressOf(job, &summary);
        QCOMPARE(texts, (QStringList{"1/3", "2/3"}));
        QCOMPARE(summary.skipped, QStringList{broken});
        QCOMPARE(bytesOf(broken), badBytes[bad.indexOf(broken)]);
    }
}

// 43 first in the list still stamps after the turn, over the files in list order.
void TestBatchRunner::numberingAfterAllOtherActions()
{
    QTemporaryDir dir;
    const cv::Mat white(400, 300, CV_8UC3, cv::Scalar(255, 255, 255));
    const QStringList files = {write(dir.filePath("b.png"), white, 300),
                               write(dir.filePath("a.png"), white, 300), dir.filePath("broken.png"),
                               write(dir.filePath("c.png"), white, 300)};
    BatchJob job;
    job.files = files;
    job.actions = {IMG_OPT_PAGENO_BATCH, IMG_OPT_ROTATE_LEFT};
    job.pageNo.area = QStringLiteral("右上");
    job.pageNo.marginHor = 2;
    job.pageNo.marginVer = 2;
    job.pageNo.fontSize = 4;
    job.pageNo.fontFamily = QStringLiteral("Noto Sans CJK SC");
    BatchSummary summary;
    const QStringList texts = progressOf(job, &summary);
    QCOMPARE(texts, (QStringList{"1/4", "2/4", "3/4", "b.png", "a.png", "c.png"}));
    QCOMPARE(summary.stamped, 3);
    for (const QString& path : {files[0], files[1], files[3]}) {
        cv::Mat out;
        int x = 0, y = 0;
        QVERIFY(BatchPageIO::read(path, out, x, y));
        QCOMPARE(QSize(out.cols, out.rows), QSize(400, 300)); // turned before numbering
        // An all-white page may well come back grey.
        cv::Mat grey = out;
        if (out.channels() == 3)
            cv::cvtColor(out, grey, cv::COLOR_BGR2GRAY);
        const int margin = mmToPixels(2, 300);
        // Ink in the top-right corner of the turned page, nowhere at the bottom.
        QVERIFY(cv::countNonZero(grey(cv::Rect(200, margin, 200 - margin, 60)) < 128) > 0);
        QCOMPARE(cv::countNonZero(grey(cv::Rect(0, 150, 400, 150)) < 128), 0);
    }
}

void TestBatchRunner::redSealWorksOnWholePage()
{
    QTemporaryDir dir;
    cv::Mat in = page(240, 180);
    cv::circle(in, {30, 30}, 18, cv::Scalar(60, 60, 220), cv::FILLED);
    cv::circle(in, {210, 150}, 18, cv::Scalar(70, 50, 200), cv::FILLED);
    const QString path = write(dir.filePath("seal.png"), in, 300);
    BatchJob job;
    job.files = QStringList{path};
    job.actions = {IMG_OPT_SEAL_RED};
    BatchSummary summary;
    progressOf(job, &summary);
    QVERIFY(summary.allSucceeded());
    cv::Mat out;
    int x = 0, y = 0;
    QVERIFY(BatchPageIO::read(path, out, x, y));
    const cv::Mat expected = ImageHelper::redSealDeep(in);
    QCOMPARE(cv::norm(out, expected, cv::NORM_INF), 0.0);
    QVERIFY(cv::norm(out, in, cv::NORM_INF) > 0);
}

// Several workers give the very bytes and progress of one.
void TestBatchRunner::concurrentRunMatchesOneThread()
{
    QTemporaryDir one;
    QTemporaryDir many;
    QStringList names;
    for (int i = 0; i < 7; ++i) {
        const QString name = QStringLiteral("p%1.%2").arg(i).arg(i % 3 == 2 ? "png" : "jpg");
        names << name;
        const cv::Mat mat = page(260 + 10 * i, 340, i == 4 ? 1 : 3);
        write(one.filePath(name), mat, 300);
        write(many.filePath(name), mat, 300);
    }
    auto jobIn = [&names](const QTemporaryDir& dir, int workers) {
        BatchJob job;
        for (const QString& name : names)
            job.files << dir.filePath(name);
        // Listed twice (under another spelling): turned twice, one after the other.
        job.files.insert(2, dir.filePath("./" + names[1]));
        job.actions = {IMG_OPT_SLOPE_AUTO, IMG_OPT_CONTENT_DEEP, IMG_OPT_AREA_CLEAR,
                       IMG_OPT_ROTATE_RIGHT};
        job.margins = {3, 3, 4, 4};
        job.workers = workers;
        return job;
    };
    const BatchJob single = jobIn(one, 1);
    const BatchJob parallel = jobIn(many, 4);
    QCOMPARE(BatchRunner::workerCount(parallel), 4);
    const QStringList singleTexts = progressOf(single);
    QCOMPARE(progressOf(parallel), singleTexts);
    QCOMPARE(singleTexts.last(), QStringLiteral("8/8"));
    for (const QString& name : names)
        QCOMPARE(bytesOf(many.filePath(name)), bytesOf(one.filePath(name)));
}

// A read-only page and a page whose name has no encoder keep their bytes; the run goes on.
void TestBatchRunner::unwritableFilesKeepTheirContent()
{
    QTemporaryDir dir;
    const QString readOnly = write(dir.filePath("ro.jpg"), page(200, 150), 300);
    const QString plain = write(dir.filePath("ok.jpg"), page(200, 150), 300);
    const QString noEncoder = dir.filePath("page.nosuchformat");
    QVERIFY(QFile::copy(write(dir.filePath("src.png"), page(200, 150), 300), noEncoder));
    const QByteArray readOnlyBytes = bytesOf(readOnly);
    const QByteArray noEncoderBytes = bytesOf(noEncoder);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    BatchJob job;
    job.files = QStringList{readOnly, noEncoder, plain};
    job.actions = {IMG_OPT_ROTATE_LEFT};
    job.workers = 2;
    BatchSummary summary;
    QCOMPARE(progressOf(job, &summary), QStringList{"1/3"});
    QCOMPARE(summary.failed, (QStringList{readOnly, noEncoder}));
    QCOMPARE(summary.processed, 1);
    QCOMPARE(bytesOf(readOnly), readOnlyBytes);
    QCOMPARE(bytesOf(noEncoder), noEncoderBytes);
    QCOMPARE(PageFile::readInfo(plain).width, 150);
    // No temporary file is left beside the pages.
    QCOMPARE(QDir(dir.path()).entryList({".tarvo-*"}, QDir::Files | QDir::Hidden).size(), 0);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner);
}

// The direct JPEG path decodes what the general reader decodes and refuses
// what it cannot take exactly (CMYK goes the general way, and becomes grey).
void TestBatchRunner::jpegPathMatchesTheGeneralReader()
{
    QTemporaryDir dir;
    for (int channels : {1, 3}) {
        const QString path = write(dir.filePath(QStringLiteral("c%1.jpg").arg(channels)),
                                   page(211, 157, channels), 240);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        cv::Mat direct;
        QVERIFY(JpegPageCodec::decode(file.readAll(), direct));
        cv::Mat general;
        int x = 0, y = 0;
        QVERIFY(PageFile::loadWithDensity(path, general, x, y));
        QCOMPARE(direct.type(), general.type());
        QCOMPARE(cv::norm(direct, general, cv::NORM_INF), 0.0);
        // Written both ways, the page decodes to the same pixels (only the
        // entropy coding may differ) and carries the same resolution.
        const QString viaBatch = dir.filePath(QStringLiteral("b%1.jpg").arg(channels));
        QVERIFY(BatchPageIO::write(general, viaBatch, 240, 120));
        QVERIFY(PageFile::saveWithDensity(general, path, 240, 120));
        cv::Mat a, b;
        QVERIFY(PageFile::loadWithDensity(viaBatch, a, x, y));
        QCOMPARE(QPoint(x, y), QPoint(240, 120));
        QVERIFY(PageFile::loadWithDensity(path, b, x, y));
        QCOMPARE(cv::norm(a, b, cv::NORM_INF), 0.0);
    }
    Magick::Image cmyk(Magick::Geometry(64, 48), Magick::Color("red"));
    cmyk.colorSpace(Magick::CMYKColorspace);
    const QString cmykPath = dir.filePath("cmyk.jpg");
    cmyk.write(cmykPath.toStdString());
    QFile cmykFile(cmykPath);
    QVERIFY(cmykFile.open(QIODevice::ReadOnly));
    cv::Mat refused;
    QVERIFY(!JpegPageCodec::decode(cmykFile.readAll(), refused));
    cv::Mat grey;
    int x = 0, y = 0;
    QVERIFY(BatchPageIO::read(cmykPath, grey, x, y));
    QCOMPARE(grey.channels(), 1);
}

QTEST_MAIN(TestBatchRunner)
#include "tst_BatchRunner.moc"
