#include "MagickRuntime.h"
#include "PageFile.h"
#include "PageTestFiles.h"
#include "ReadOnlyGuard.h"

#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <opencv2/imgcodecs.hpp>

using namespace PageTestFiles;

// A colour page with distinct quadrants, so positions and channel order show.
static cv::Mat colourPage(int cols = 120, int rows = 80)
{
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(255, 255, 255));
    page(cv::Rect(0, 0, cols / 2, rows / 2)).setTo(cv::Scalar(200, 30, 10));
    page(cv::Rect(cols / 2, rows / 2, cols / 2, rows / 2)).setTo(cv::Scalar(0, 0, 220));
    return page;
}

// Resolution as a second, independent reader sees it.
static int qtDpiX(const QString& path)
{
    return qRound(QImageReader(path).read().dotsPerMeterX() * 0.0254);
}

class TstPageFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    cv::Mat m_mat;
    int m_x = 0, m_y = 0;
    bool load(const QString& file) { return PageFile::loadWithDensity(file, m_mat, m_x, m_y); }

private slots:
    void initTestCase()
    {
        MagickRuntime::ensureInitialised();
        QVERIFY(QDir(m_dir.path()).mkpath("扫描 目录"));
    }

    void densityRoundTrip_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("dpi");
        for (const char* suffix : {"jpg", "png", "tif", "bmp"})
            for (int dpi : {200, 0}) // 0: never recorded, stays unknown
                QTest::addRow("%s@%d", suffix, dpi) << QString(suffix) << dpi;
    }
    void densityRoundTrip()
    {
        QFETCH(QString, suffix);
        QFETCH(int, dpi);
        // A Chinese name with spaces, in a folder named likewise.
        const QString file = path("扫描 目录/第 1 页." + suffix);
        QVERIFY(PageFile::saveWithDensity(colourPage(), file, dpi, dpi));
        QVERIFY(load(file));
        QCOMPARE(QPoint(m_x, m_y), QPoint(dpi, dpi));
        if (dpi > 0)
            QCOMPARE(qtDpiX(file), dpi);
        // Only the stored resolution changes (150 dpi is 5905 px/m: a truncating encoder).
        QVERIFY(PageFile::setFileDensity(file, 150, 150));
        QVERIFY(load(file));
        QCOMPARE(QPoint(m_x, m_y), QPoint(150, 150));
        QCOMPARE(qtDpiX(file), 150);
        QCOMPARE(m_mat.size(), cv::Size(120, 80));
        QCOMPARE(PageFile::loadForEdit(file).size(), cv::Size(120, 80));
        if (suffix == "jpg" || dpi != 0) // JPEG stores whole numbers
            return;
        Magick::Image image(Magick::Geometry(40, 30), Magick::Color("white"));
        image.resolutionUnits(Magick::PixelsPerInchResolution);
        image.image()->x_resolution = image.image()->y_resolution = 299.9;
        image.write(file.toStdString());
        QVERIFY(load(file));
        QCOMPARE(QPoint(m_x, PageFile::readInfo(file).dpiY), QPoint(299, 299)); // truncated
    }

    // Grey stays grey in the batch path and is expanded for editing; alpha, CMYK give grey;
    // 16-bit is scaled to 8; a cropped view writes only its rectangle.
    void channelShapes()
    {
        const QString grey = path("grey.jpg");
        QVERIFY(cv::imwrite(grey.toStdString(), cv::Mat(50, 60, CV_8UC1, cv::Scalar(90))));
        QCOMPARE(PageFile::loadForEdit(grey).channels(), 3);
        QVERIFY(load(grey) && m_mat.channels() == 1);
        QVERIFY(PageFile::saveWithDensity(m_mat, grey, 300, 300));
        QCOMPARE(PageFile::readInfo(grey).channels, 1);

        QVERIFY(cv::imwrite(path("a.png").toStdString(), cv::Mat(5, 6, CV_8UC4, cv::Scalar(1))));
        QVERIFY(load(path("a.png")) && m_mat.type() == CV_8UC1);

        Magick::Image cmyk(Magick::Geometry(40, 30), Magick::Color("white"));
        cmyk.colorSpace(Magick::CMYKColorspace);
        cmyk.write(path("cmyk.jpg").toStdString());
        QVERIFY(load(path("cmyk.jpg")) && m_mat.channels() == 1);
        QVERIFY(m_mat.at<uchar>(15, 20) > 250); // ink values are not intensities

        const cv::Mat deep(4, 5, CV_16UC3, cv::Scalar(0, 32896, 65535));
        QVERIFY(cv::imwrite(path("deep.tif").toStdString(), deep));
        QVERIFY(load(path("deep.tif")));
        QCOMPARE(m_mat.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 128, 255));

        const cv::Mat page = colourPage(), view = page(cv::Rect(50, 30, 20, 25));
        QVERIFY(PageFile::saveWithDensity(view, path("view.png"), 300, 300));
        QVERIFY(same(cv::imread(path("view.png").toStdString()), view)); // a second decoder
    }

    void badFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("keep"); // bytes of a valid file kept; -1: garbage, -2: all
        QTest::addColumn<bool>("readable");
        QTest::newRow("zero-byte jpg") << "zero.jpg" << 0 << false;
        QTest::newRow("jpg cut in data") << "half.jpg" << 12000 << false;
        QTest::newRow("garbage tif") << "noise.tif" << -1 << false;
        QTest::newRow("png named .jpg") << "png.jpg" << -2 << true; // content decides
    }
    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(int, keep);
        QFETCH(bool, readable);
        cv::Mat noise(200, 200, CV_8UC3);
        cv::randu(noise, 0, 255);
        const QString whole = path("whole." + (keep == -2 ? "png" : QFileInfo(name).suffix()));
        QVERIFY(cv::imwrite(whole.toStdString(), noise));
        const QByteArray bytes = keep == -1 ? QByteArray(5000, 'x') : bytesOf(whole);
        const QString file = writeBytes(path(name), bytes.left(keep < 0 ? INT_MAX : keep));
        QCOMPARE(load(file), readable);
        QCOMPARE(m_mat.empty(), !readable);
        QCOMPARE(PageFile::setFileDensity(file, 100, 100), readable);
        if (keep <= 0) { // the others have a readable header
            QCOMPARE(PageFile::loadForEdit(file).empty(), !readable);
            QCOMPARE(PageFile::readInfo(file).valid, readable);
        }
    }

    // An A0 sheet at 600 dpi is beyond the distribution's 16000 px / 128 MP caps.
    void a0At600DpiOpens()
    {
        const QString file = path("a0.tif");
        QImage sheet(19866, 28087, QImage::Format_Mono);
        sheet.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        sheet.fill(0);
        for (int y = 27000; y < 27500; ++y)
            for (int x = 18000; x < 18500; ++x)
                sheet.setPixel(x, y, 1);
        sheet.setDotsPerMeterX(qRound(600 / 0.0254));
        sheet.setDotsPerMeterY(qRound(600 / 0.0254));
        QImageWriter writer(file);
        writer.setCompression(1); // LZW keeps a blank sheet small
        QVERIFY(writer.write(sheet));
        sheet = QImage();
        // '@' reads names from a list file; network coders fetch URLs: both refused.
        writeBytes(path("list.txt"), file.toUtf8());
        QVERIFY(!load("@" + path("list.txt")));
        QVERIFY(!load("http://127.0.0.1:9/p.png"));
        // The decoder's pixel cache for this sheet (about 4.5 GB) is mapped in the temporary
        // folder.
        if (QStorageInfo(QDir::tempPath()).bytesAvailable() < (qint64(6) << 30))
            QSKIP("less than 6 GiB free in the temporary folder for the A0 pixel cache");
        QVERIFY(load(file));
        QCOMPARE(QSize(m_mat.cols, m_mat.rows), QSize(19866, 28087));
        QCOMPARE(QPoint(m_x, PageFile::readInfo(file).width), QPoint(600, 19866));
        QCOMPARE(int(m_mat.at<uchar>(27200, 18200)), 0);
        QCOMPARE(int(m_mat.at<uchar>(100, 100)), 255);
    }

    void failedWriteKeepsPage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lock"); // "file", "dir" or ""
        QTest::newRow("read-only file") << QString("locked.png") << QString("file");
        QTest::newRow("read-only folder") << QString("locked.png") << QString("dir");
        QTest::newRow("unknown suffix") << QString("page.abcxyz") << QString();
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
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }
};

QTEST_GUILESS_MAIN(TstPageFile)
#include "tst_PageFile.moc"
