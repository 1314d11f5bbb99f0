#include "ImageMagickHelper.h"
#include "MagickRuntime.h"
#include "PageNumberStamper.h"
#include "ReadOnlyGuard.h"

#include <Magick++.h>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <opencv2/imgproc.hpp>

// Page-number stamping on generated files: numbering, placement, resolution and
// format kept, bad files, stop requests; single page numbers in matrices.
class TestPageNumberStamper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void numberText_data();
    void numberText();
    void stampsInOrderSkippingUnreadable();
    void keepsResolutionAndFormat_data();
    void keepsResolutionAndFormat();
    void stopRequestHonoured();
    void readOnlyPageKeepsItsNumber();
    void paintTextIntoMatrix_data();
    void paintTextIntoMatrix();

private:
    QString writePage(const QString& name, int dpiX = 300, int dpiY = 300,
                      const char* colour = "#fff0c0");
    PageNumberJob job(const QStringList& files) const;

    QTemporaryDir m_dir;
};

void TestPageNumberStamper::initTestCase()
{
    QVERIFY(m_dir.isValid());
    MagickRuntime::ensureInitialised();
}

QString TestPageNumberStamper::writePage(const QString& name, int dpiX, int dpiY,
                                         const char* colour)
{
    const QString path = m_dir.filePath(name);
    Magick::Image page(Magick::Geometry(400, 300), Magick::Color(colour));
    page.resolutionUnits(Magick::PixelsPerInchResolution);
    page.density(Magick::Geometry(dpiX, dpiY));
    page.compressType(Magick::NoCompression);
    page.write(path.toUtf8().toStdString());
    return path;
}

// The page shown at half size; the item 10 scene px high at (150, 10) maps to a
// 20 px high box at (300, 20) on the 400 x 300 page, font 20 px.
PageNumberJob TestPageNumberStamper::job(const QStringList& files) const
{
    PageNumberJob job;
    job.files = files;
    job.pageNo.prefix = QStringLiteral("P");
    job.pageNo.noLen = 4;
    job.startNumber = 1;
    job.fontFamily = QStringLiteral("Noto Sans CJK SC");
    job.fontPixelSize = 10;
    job.itemPos = QPointF(150, 10);
    job.itemHeight = 10;
    job.pageRect = QRectF(0, 0, 200, 150);
    return job;
}

static QImage readBack(const QString& path)
{
    return ImageMagickHelper::toQImage(Magick::Image(path.toUtf8().toStdString()));
}

void TestPageNumberStamper::numberText_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("zeroFill");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << "P"
                           << "" << 4 << true << 1 << "P0001";
    QTest::newRow("second") << "P"
                            << "" << 4 << true << 2 << "P0002";
    QTest::newRow("no zero fill") << "P"
                                  << "" << 4 << false << 1 << "P1";
    QTest::newRow("longer than length") << ""
                                        << "页" << 2 << true << 12345 << "12345页";
    QTest::newRow("zero length") << "第"
                                 << "页" << 0 << true << 7 << "第7页";
}

void TestPageNumberStamper::numberText()
{
    QFETCH(QString, prefix);
    QFETCH(QString, suffix);
    QFETCH(int, length);
    QFETCH(bool, zeroFill);
    QFETCH(int, number);
    stPageNoInfo info;
    info.prefix = prefix;
    info.suffix = suffix;
    info.noLen = length;
    info.zeroFill = zeroFill;
    QTEST(PageNumberStamper::numberText(info, number), "text");
}

void TestPageNumberStamper::stampsInOrderSkippingUnreadable()
{
    const QString first = writePage(QStringLiteral("页 1.tif"));
    const QString bad = m_dir.filePath(QStringLiteral("bad.tif"));
    QFile badFile(bad);
    QVERIFY(badFile.open(QIODevice::WriteOnly));
    badFile.write("no image here");
    badFile.close();
    // A multi-page TIFF is no page: it stays whole and uses no number.
    const QString multi = m_dir.filePath(QStringLiteral("merged.tif"));
    {
        std::list<Magick::Image> pages(
            2, Magick::Image(Magick::Geometry(40, 30), Magick::Color("red")));
        Magick::writeImages(pages.begin(), pages.end(), multi.toUtf8().toStdString(), true);
    }
    const QByteArray multiBytes = [&] {
        QFile f(multi);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString second = writePage(QStringLiteral("页 2.tif"));
    const QImage original = readBack(first);

    const PageNumberJob j = job({first, bad, multi, second});
    QStringList reported;
    int stamped = 0;
    // Run off the GUI thread, as the batch worker does.
    QScopedPointer<QThread> worker(QThread::create([&] {
        stamped = PageNumberStamper::run(j, [&](const QString& name) { reported << name; });
    }));
    worker->start();
    QVERIFY(worker->wait(60000));
    QCOMPARE(stamped, 2);
    QCOMPARE(reported, QStringList({QStringLiteral("页 1.tif"), QStringLiteral("页 2.tif")}));

    // The unreadable files used no number: the second page carries P0002.
    QImage expected1 = original;
    const QRect box = PageNumberStamper::stampImage(expected1, j, QStringLiteral("P0001"));
    QImage expected2 = original;
    PageNumberStamper::stampImage(expected2, j, QStringLiteral("P0002"));
    QVERIFY(expected1 != expected2);
    QCOMPARE(readBack(first), expected1);
    QCOMPARE(readBack(second), expected2);
    QFile multiFile(multi);
    QVERIFY(multiFile.open(QIODevice::ReadOnly));
    QCOMPARE(multiFile.readAll(), multiBytes);

    // Only the box changed, and it did change.
    QCOMPARE(box.topLeft(), QPoint(300, 20));
    QCOMPARE(box.height(), 20);
    const QImage stamped1 = readBack(first);
    bool changedInside = false;
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) {
            const bool same = stamped1.pixel(x, y) == original.pixel(x, y);
            if (!box.contains(x, y))
                QVERIFY2(same, qPrintable(QStringLiteral("changed at %1,%2").arg(x).arg(y)));
            else
                changedInside |= !same;
        }
    QVERIFY(changedInside);
}

void TestPageNumberStamper::keepsResolutionAndFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dpiX");
    QTest::addColumn<int>("dpiY");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("magick");
    QTest::newRow("jpeg") << "a.jpg" << 300 << 300 << "#fff0c0"
                          << "JPEG";
    QTest::newRow("tiff, unequal dpi") << "b.tif" << 200 << 150 << "#fff0c0"
                                       << "TIFF";
    QTest::newRow("grey tiff") << "c.tif" << 600 << 600 << "gray90"
                               << "TIFF";
    QTest::newRow("png") << "d.png" << 300 << 300 << "#fff0c0"
                         << "PNG";
}

void TestPageNumberStamper::keepsResolutionAndFormat()
{
    QFETCH(QString, name);
    QFETCH(int, dpiX);
    QFETCH(int, dpiY);
    QFETCH(QString, colour);
    QFETCH(QString, magick);
    const QString path = writePage(name, dpiX, dpiY, colour.toLatin1().constData());
    Magick::Image before;
    before.ping(path.toUtf8().toStdString());

    QCOMPARE(PageNumberStamper::run(job({path})), 1);
    Magick::Image after;
    after.ping(path.toUtf8().toStdString());
    QCOMPARE(QString::fromStdString(after.magick()), magick);
    // Same resolution in inches, whatever unit the format stores it in.
    const auto perInch = [](const Magick::Image& image, double value) {
        return image.resolutionUnits() == Magick::PixelsPerCentimeterResolution ? value * 2.54
                                                                                : value;
    };
    QCOMPARE(qRound(perInch(after, after.xResolution())), dpiX);
    QCOMPARE(qRound(perInch(after, after.yResolution())), dpiY);
    QCOMPARE(after.columns(), before.columns());
    QCOMPARE(after.colorSpace(), before.colorSpace());

    QImageReader reader(path);
    const QImage qt = reader.read();
    QVERIFY2(!qt.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(qt.size(), QSize(400, 300));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".tarvo-*")}, QDir::Files | QDir::Hidden),
             QStringList());
}

void TestPageNumberStamper::stopRequestHonoured()
{
    const QStringList files = {writePage(QStringLiteral("s1.tif")),
                               writePage(QStringLiteral("s2.tif"))};
    const QImage untouched = readBack(files.at(1));
    std::atomic<bool> stop{false};
    const int stamped = PageNumberStamper::run(
        job(files), [&](const QString&) { stop = true; }, [&] { return stop.load(); });
    QCOMPARE(stamped, 1);
    QCOMPARE(readBack(files.at(1)), untouched);
}

void TestPageNumberStamper::readOnlyPageKeepsItsNumber()
{
    const QStringList files = {writePage(QStringLiteral("r1.tif")),
                               writePage(QStringLiteral("r2 只读.tif")),
                               writePage(QStringLiteral("r3.tif"))};
    const QImage original = readBack(files.at(1));
    int stamped = 0;
    {
        ReadOnlyGuard guard(files.at(1));
        if (!guard.ok())
            QSKIP("cannot make a file read-only here");
        stamped = PageNumberStamper::run(job(files));
    }
    QCOMPARE(stamped, 2);
    QCOMPARE(readBack(files.at(1)), original);
    // The page that could not be rewritten still holds its place: the third is P0003.
    QImage expected = original;
    PageNumberStamper::stampImage(expected, job(files), QStringLiteral("P0003"));
    QCOMPARE(readBack(files.at(2)), expected);
}

void TestPageNumberStamper::paintTextIntoMatrix_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("grey") << CV_8UC1;
    QTest::newRow("colour") << CV_8UC3;
    QTest::newRow("colour with alpha") << CV_8UC4;
}

void TestPageNumberStamper::paintTextIntoMatrix()
{
    QFETCH(int, type);
    // Blue-dominant background: a red/blue swap would show at the untouched corner.
    const cv::Mat page(60, 80, type, cv::Scalar(200, 120, 40, 255));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(24);
    const cv::Mat out =
        PageNumberStamper::paintText(page, QStringLiteral("88"), font, QPoint(10, 10));
    QCOMPARE(out.type(), page.type());
    QCOMPARE(out.size(), page.size());
    QCOMPARE(cv::norm(out.row(0), page.row(0), cv::NORM_INF), 0.0);
    QCOMPARE(cv::norm(out.col(79), page.col(79), cv::NORM_INF), 0.0);
    // Dark text inside the text area, nothing above or left of the position.
    cv::Mat textArea;
    cv::extractChannel(out(cv::Rect(10, 10, 30, 30)), textArea, 0);
    double darkest = 255;
    cv::minMaxLoc(textArea, &darkest);
    QVERIFY(darkest < 60);
    QCOMPARE(cv::norm(out(cv::Rect(0, 0, 10, 60)), page(cv::Rect(0, 0, 10, 60)), cv::NORM_INF),
             0.0);

    // Painting only the reachable area gives what painting the whole page gives,
    // also for text running off the page.
    for (const QPoint at : {QPoint(10, 10), QPoint(70, 45), QPoint(-8, -12)}) {
        const cv::Mat part = PageNumberStamper::paintText(page, QStringLiteral("88"), font, at);
        cv::Mat bgra = page.clone();
        if (type != CV_8UC4)
            cv::cvtColor(page, bgra, type == CV_8UC1 ? cv::COLOR_GRAY2BGRA : cv::COLOR_BGR2BGRA);
        const QImage whole =
            PageNumberStamper::paintText(QImage(bgra.data, bgra.cols, bgra.rows,
                                                static_cast<int>(bgra.step), QImage::Format_ARGB32),
                                         QStringLiteral("88"), font, at);
        const cv::Mat wholeMat(whole.height(), whole.width(), CV_8UC4,
                               const_cast<uchar*>(whole.constBits()),
                               static_cast<size_t>(whole.bytesPerLine()));
        cv::Mat expected = wholeMat.clone();
        if (type != CV_8UC4)
            cv::cvtColor(wholeMat, expected,
                         type == CV_8UC1 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGRA2BGR);
        QVERIFY(cv::norm(part, expected, cv::NORM_INF) <= 1.0);
    }
}

QTEST_MAIN(TestPageNumberStamper)
#include "tst_PageNumberStamper.moc"
