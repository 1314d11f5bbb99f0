#include "ImageMagickHelper.h"
#include "MagickRuntime.h"
#include "PageNumberStamper.h"
#include "PageTestFiles.h"
#include "ReadOnlyGuard.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>

using namespace PageTestFiles;

// The 400 x 300 page shown at half size: the item 10 px high at (150, 10) maps
// to a 20 px high box at (300, 20), font 20 px.
static PageNumberJob job(const QStringList& files)
{
    PageNumberJob job;
    job.files = files;
    job.pageNo.prefix = QStringLiteral("P");
    job.fontFamily = QStringLiteral("Noto Sans CJK SC");
    job.fontPixelSize = 10;
    job.itemPos = QPointF(150, 10);
    job.itemHeight = 10;
    job.pageRect = QRectF(0, 0, 200, 150);
    return job;
}

static QImage readBack(const QString& file)
{
    return ImageMagickHelper::toQImage(Magick::Image(file.toUtf8().toStdString()));
}

static QImage stamped(QImage page, const QString& text)
{
    PageNumberStamper::stampImage(page, job({}), text);
    return page;
}

// Page-number stamping on generated files: numbering, placement, resolution and
// format kept, bad and read-only files, stop requests; single page numbers in matrices.
class TestPageNumberStamper : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void stampsInOrderSkippingUnreadable()
    {
        const QString first = writePage(path("页 1.tif"));
        const QString bad = writeBytes(path("bad.tif"), "no image here");
        // A multi-page TIFF is no page: it stays whole and uses no number.
        const QString multi = path("merged.tif");
        std::list<Magick::Image> two(2,
                                     Magick::Image(Magick::Geometry(40, 30), Magick::Color("red")));
        Magick::writeImages(two.begin(), two.end(), multi.toUtf8().toStdString(), true);
        const QByteArray multiBytes = bytesOf(multi);
        const QString second = writePage(path("页 2.tif"));
        const QImage original = readBack(first);

        QStringList reported;
        int count = 0;
        // Off the GUI thread, as the batch worker runs it.
        QScopedPointer<QThread> worker(QThread::create([&] {
            count = PageNumberStamper::run(job({first, bad, multi, second}),
                                           [&](const QString& name) { reported << name; });
        }));
        worker->start();
        QVERIFY(worker->wait(60000));
        QCOMPARE(count, 2);
        QCOMPARE(reported, QStringList({"页 1.tif", "页 2.tif"}));
        QCOMPARE(bytesOf(multi), multiBytes);
        QCOMPARE(readBack(first), stamped(original, "P0001"));
        QCOMPARE(readBack(second), stamped(original, "P0002"));

        QImage expected = original; // stamped where the item shows: (150, 10) at half size
        QCOMPARE(PageNumberStamper::stampImage(expected, job({}), "P0001").topLeft(),
                 QPoint(300, 20));
    }

    void keepsResolutionAndFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::newRow("grey tiff, unequal dpi") << "b.tif" << 200 << 150;
        QTest::newRow("png (dots per cm)") << "d.png" << 300 << 300;
    }
    void keepsResolutionAndFormat()
    {
        QFETCH(QString, name);
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        const char* colour = name.endsWith(".tif") ? "gray90" : "#fff0c0";
        const QString file = writePage(path(name), colour, dpiX, dpiY);
        Magick::Image before, after;
        before.ping(file.toUtf8().toStdString());
        QCOMPARE(PageNumberStamper::run(job({file})), 1);
        after.ping(file.toUtf8().toStdString());
        QCOMPARE(after.magick(), before.magick());
        QCOMPARE(after.size(), before.size());
        const double toInch =
            after.resolutionUnits() == Magick::PixelsPerCentimeterResolution ? 2.54 : 1.0;
        QCOMPARE(qRound(after.xResolution() * toInch), dpiX);
        QCOMPARE(qRound(after.yResolution() * toInch), dpiY);
        QCOMPARE(QDir(m_dir.path()).entryList({".tarvo-*"}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // A stop request ends the run after the current page; a page that cannot be
    // rewritten keeps its place, so the next page is P0003.
    void stopAndReadOnly()
    {
        const QStringList files = {writePage(path("s1.tif")), writePage(path("s2 只读.tif")),
                                   writePage(path("s3.tif"))};
        const QImage original = readBack(files.at(0));
        std::atomic<bool> stop{false};
        auto stopNow = [&](const QString&) { stop = true; };
        QCOMPARE(PageNumberStamper::run(job(files), stopNow, [&] { return stop.load(); }), 1);
        QCOMPARE(readBack(files.at(1)), original);
        ReadOnlyGuard guard(files.at(1));
        if (!guard.ok())
            QSKIP("cannot make a file read-only here");
        QCOMPARE(PageNumberStamper::run(job(files)), 2);
        QCOMPARE(readBack(files.at(1)), original);
        QCOMPARE(readBack(files.at(2)), stamped(original, "P0003"));
    }

    // Type kept, ink where the text goes and nothing touched beside it: a red/blue
    // swap would show on the blue background. Text running off the page is clipped.
    void paintTextIntoMatrix()
    {
        for (int type : {CV_8UC1, CV_8UC3, CV_8UC4}) {
            const cv::Mat page(60, 80, type, cv::Scalar(200, 120, 40, 255));
            QFont font(QStringLiteral("Noto Sans CJK SC"));
            font.setPixelSize(24);
            const cv::Mat out = PageNumberStamper::paintText(page, "88", font, QPoint(10, 10));
            QCOMPARE(out.type(), page.type());
            QVERIFY(same(out.colRange(0, 10), page.colRange(0, 10)));
            double darkest = 255;
            cv::minMaxLoc(out.reshape(1), &darkest);
            QVERIFY(darkest < 60);
            const cv::Mat off = PageNumberStamper::paintText(page, "88", font, QPoint(-8, -12));
            QVERIFY(same(off.rowRange(40, 60), page.rowRange(40, 60)));
        }
    }
};

QTEST_MAIN(TestPageNumberStamper)
#include "tst_PageNumberStamper.moc"
