#include "MagickRuntime.h"
#include "PageFile.h"
#include "ReadOnlyGuard.h"

#include <Magick++.h>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>
#include <list>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

// A colour page with distinct quadrants, so positions and channel order show.
static cv::Mat colourPage(int cols = 120, int rows = 80)
{
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::rectangle(page, cv::Rect(0, 0, cols / 2, rows / 2), cv::Scalar(200, 30, 10), cv::FILLED);
    cv::rectangle(page, cv::Rect(cols / 2, rows / 2, cols / 2, rows / 2), cv::Scalar(0, 0, 220),
                  cv::FILLED);
    return page;
}

static QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

static void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Resolution as a second, independent reader sees it.
static int qtDpiX(const QString& path)
{
    const QImage image = QImageReader(path).read();
    return qRound(image.dotsPerMeterX() * 0.0254);
}

class TstPageFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void densityRoundTrip_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("dpi");
        for (const char* suffix : {"jpg", "png", "tif", "bmp"})
            for (int dpi : {300, 200, 600, 0}) // 0: never recorded, stays unknown
                QTest::addRow("%s@%d", suffix, dpi) << QString(suffix) << dpi;
    }
    void densityRoundTrip()
    {
        QFETCH(QString, suffix);
        QFETCH(int, dpi);
        const QString file = path("round." + suffix);
        QVERIFY(PageFile::saveWithDensity(colourPage(), file, dpi, dpi));
        cv::Mat back;
        int x = 0, y = 0;
        QVERIFY(PageFile::loadWithDensity(file, back, x, y));
        QCOMPARE(x, dpi);
        QCOMPARE(y, dpi);
        QCOMPARE(back.channels(), 3);
        if (dpi > 0)
            QCOMPARE(qtDpiX(file), dpi);
        // Only the stored resolution changes; the pixels stay.
        QVERIFY(PageFile::setFileDensity(file, 150, 150));
        QVERIFY(PageFile::loadWithDensity(file, back, x, y));
        QCOMPARE(x, 150);
        QCOMPARE(qtDpiX(file), 150);
        QCOMPARE(back.cols, 120);
        QCOMPARE(back.rows, 80);
    }

    void fractionalResolutionTruncates_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("expected");
        for (const char* suffix : {"png", "tif", "bmp"}) {
            QTest::addRow("%s 299.9", suffix) << QString(suffix) << 299.9 << 299;
            QTest::addRow("%s 300", suffix) << QString(suffix) << 300.0 << 300;
        }
    }
    void fractionalResolutionTruncates()
    {
        QFETCH(QString, suffix);
        QFETCH(double, stored);
        QFETCH(int, expected);
        const QString file = path("frac." + suffix);
        Magick::Image image(Magick::Geometry(40, 30), Magick::Color("white"));
        image.resolutionUnits(Magick::PixelsPerInchResolution);
        image.image()->x_resolution = stored;
        image.image()->y_resolution = stored;
        image.write(file.toStdString());
        cv::Mat mat;
        int x = 0, y = 0;
        QVERIFY(PageFile::loadWithDensity(file, mat, x, y));
        QCOMPARE(x, expected);
        QCOMPARE(PageFile::readInfo(file).dpiY, expected);
    }

    // Grey stays grey in the batch path and is expanded for editing; alpha makes a page grey.
    void channelShapes()
    {
        const QString grey = path("grey.jpg");
        cv::Mat g(50, 60, CV_8UC1, cv::Scalar(90));
        QVERIFY(cv::imwrite(grey.toStdString(), g));
        QCOMPARE(PageFile::loadForEdit(grey).channels(), 3);
        cv::Mat batch;
        int x, y;
        QVERIFY(PageFile::loadWithDensity(grey, batch, x, y));
        QCOMPARE(batch.channels(), 1);
        QVERIFY(PageFile::saveWithDensity(batch, grey, 300, 300));
        QCOMPARE(PageFile::readInfo(grey).channels, 1);
        QCOMPARE(PageFile::readInfo(grey).colourText, QStringLiteral("灰度图像"));

        const QString rgba = path("alpha.png");
        cv::Mat a(50, 60, CV_8UC4, cv::Scalar(10, 20, 200, 255));
        QVERIFY(cv::imwrite(rgba.toStdString(), a));
        QCOMPARE(PageFile::readInfo(rgba).channels, 4);
        QVERIFY(PageFile::loadWithDensity(rgba, batch, x, y));
        QCOMPARE(batch.type(), CV_8UC1);
    }

    // CMYK ink values must not come out as inverted intensities.
    void cmykBecomesSrgbGrey()
    {
        const QString file = path("cmyk.jpg");
        Magick::Image image(Magick::Geometry(40, 30), Magick::Color("white"));
        image.colorSpace(Magick::CMYKColorspace);
        image.write(file.toStdString());
        cv::Mat mat;
        int x, y;
        QVERIFY(PageFile::loadWithDensity(file, mat, x, y));
        QCOMPARE(mat.channels(), 1);
        QVERIFY(mat.at<uchar>(15, 20) > 250);
    }

    void croppedViewWritesOnlyRectangle()
    {
        const cv::Mat page = colourPage();
        const cv::Mat view = page(cv::Rect(50, 30, 20, 25));
        QVERIFY(!view.isContinuous());
        const QString file = path("view.png");
        QVERIFY(PageFile::saveWithDensity(view, file, 300, 300));
        cv::Mat back;
        int x, y;
        QVERIFY(PageFile::loadWithDensity(file, back, x, y));
        QCOMPARE(back.size(), view.size());
        QCOMPARE(cv::norm(back, view, cv::NORM_INF), 0.0);
    }

    void sixteenBitTiff()
    {
        const QString file = path("deep.tif");
        cv::Mat deep(40, 50, CV_16UC3, cv::Scalar(0, 32896, 65535));
        QVERIFY(cv::imwrite(file.toStdString(), deep));
        QCOMPARE(PageFile::readInfo(file).colourText, QStringLiteral("彩色 48位"));
        cv::Mat mat;
        int x, y;
        QVERIFY(PageFile::loadWithDensity(file, mat, x, y));
        QCOMPARE(mat.type(), CV_8UC3);
        QCOMPARE(mat.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 128, 255));
        QCOMPARE(PageFile::loadForEdit(file).type(), CV_8UC3);
    }

    void damagedFilesFail_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("keep"); // bytes of a valid file kept; -1: garbage
        QTest::newRow("zero-byte jpg") << "zero.jpg" << 0;
        QTest::newRow("jpg cut in header") << "cut.jpg" << 600;
        QTest::newRow("jpg cut in data") << "half.jpg" << 12000;
        QTest::newRow("truncated png") << "cut.png" << 300;
        QTest::newRow("garbage tif") << "noise.tif" << -1;
    }
    void damagedFilesFail()
    {
        QFETCH(QString, name);
        QFETCH(int, keep);
        const QString file = path(name);
        const QString whole = path("whole." + QFileInfo(name).suffix());
        cv::Mat noise(200, 200, CV_8UC3);
        cv::randu(noise, 0, 255);
        QVERIFY(cv::imwrite(whole.toStdString(), noise));
        writeBytes(file, keep < 0 ? QByteArray(5000, 'x') : bytesOf(whole).left(keep));
        cv::Mat mat;
        int x, y;
        QVERIFY(!PageFile::loadWithDensity(file, mat, x, y));
        QVERIFY(mat.empty());
        if (keep <= 0) { // the others have a readable header
            QVERIFY(PageFile::loadForEdit(file).empty());
            QVERIFY(!PageFile::readInfo(file).valid);
        }
        QVERIFY(!PageFile::setFileDensity(file, 100, 100));
    }

    // The content decides the format, not the name.
    void mislabelledPngReads()
    {
        const QString file = path("really-png.jpg");
        QVERIFY(cv::imwrite(path("src.png").toStdString(), colourPage()));
        QVERIFY(QFile::copy(path("src.png"), file));
        cv::Mat mat;
        int x, y;
        QVERIFY(PageFile::loadWithDensity(file, mat, x, y));
        QCOMPARE(cv::norm(mat, colourPage(), cv::NORM_INF), 0.0);
        QCOMPARE(PageFile::loadForEdit(file).cols, 120);
    }

    void chineseAndSpacePath()
    {
        QVERIFY(QDir(m_dir.path()).mkpath("扫描 目录"));
        const QString file = path("扫描 目录/第 1 页.jpg");
        QVERIFY(PageFile::saveWithDensity(colourPage(), file, 300, 300));
        QCOMPARE(PageFile::loadForEdit(file).cols, 120);
        QVERIFY(PageFile::setFileDensity(file, 200, 200));
        const PageInfo info = PageFile::readInfo(file);
        QCOMPARE(info.dpiX, 200);
        QCOMPARE(info.width, 120);
        QCOMPARE(info.colourText, QStringLiteral("彩色 24位"));
    }

    void failedWriteKeepsPage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lock"); // "file", "dir" or ""
        QTest::newRow("read-only file") << "locked.png"
                                        << "file";
        QTest::newRow("read-only folder") << "locked.png"
                                          << "dir";
        QTest::newRow("unknown suffix") << "page.abcxyz"
                                        << "";
        QTest::newRow("no suffix") << "page"
                                   << "";
    }
    void failedWriteKeepsPage()
    {
        QFETCH(QString, name);
        QFETCH(QString, lock);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        QVERIFY(cv::imwrite(dir.filePath("x.png").toStdString(), colourPage()));
        QVERIFY(QFile::rename(dir.filePath("x.png"), file));
        const QByteArray original = bytesOf(file);
        {
            ReadOnlyGuard guard(lock == "dir" ? dir.path() : lock == "file" ? file : QString());
            if (!lock.isEmpty() && !guard.ok())
                QSKIP("cannot make the page read-only here");
            QVERIFY(!PageFile::saveWithDensity(colourPage(60, 40), file, 300, 300));
            if (!lock.isEmpty())
                QVERIFY(!PageFile::setFileDensity(file, 100, 100));
        }
        QCOMPARE(bytesOf(file), original);
        const auto entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(entries, QStringList{name});
    }
};

QTEST_GUILESS_MAIN(TstPageFile)
#include "tst_PageFile.moc"
