#include "ImageConvert.h"
#include "MagickRuntime.h"
#include "PageFile.h"
#include "PageTestFiles.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

class TstMagickRuntime : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    cv::Mat m_mat;
    int m_x = 0, m_y = 0;
    bool load(const QString& file) { return PageFile::loadWithDensity(file, m_mat, m_x, m_y); }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    // An A0 sheet scanned at 600 dpi is beyond the distribution's 16000 px / 128 MP caps.
    void a0At600DpiOpens()
    {
        const QString file = m_dir.filePath("a0.tif");
        QImage sheet(19866, 28087, QImage::Format_Mono);
        sheet.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        sheet.fill(0);
        for (int y = 27000; y < 27500; ++y)
            for (int x = 18000; x < 18500; ++x)
                sheet.setPixel(x, y, 1);
        sheet.setDotsPerMeterX(qRound(600 / 0.0254));
        sheet.setDotsPerMeterY(qRound(600 / 0.0254));
        QImageWriter writer(file);
        writer.setCompression(1); // LZW: a blank sheet stays small on disk
        QVERIFY(writer.write(sheet));
        sheet = QImage();
        QCOMPARE(PageFile::readInfo(file).width, 19866);
        QVERIFY(load(file));
        QCOMPARE(QSize(m_mat.cols, m_mat.rows), QSize(19866, 28087));
        QCOMPARE(m_x, 600);
        QCOMPARE(int(m_mat.at<uchar>(27200, 18200)), 0);
        QCOMPARE(int(m_mat.at<uchar>(100, 100)), 255);
    }

    void pdfIsWrittenButNeverRead()
    {
        std::list<Magick::Image> pages(
            2, ImageHelper::matToMagick(cv::Mat(200, 150, CV_8UC3, cv::Scalar(0, 0, 255))));
        const QString pdf = m_dir.filePath("合并 文件.pdf");
        Magick::writeImages(pages.begin(), pages.end(), pdf.toUtf8().toStdString(), true);
        QVERIFY(PageTestFiles::bytesOf(pdf).startsWith("%PDF"));
        QVERIFY(!load(pdf));
        QVERIFY(!PageFile::readInfo(pdf).valid);
        QVERIFY(PageFile::loadForEdit(pdf).empty());
    }

    // '@' reads file names from a list file; the network coders fetch URLs.
    void indirectSourcesRefused()
    {
        const QString png = m_dir.filePath("p.png");
        QVERIFY(PageFile::saveWithDensity(cv::Mat(10, 10, CV_8UC1, cv::Scalar(0)), png, 72, 72));
        PageTestFiles::writeBytes(m_dir.filePath("list.txt"), png.toUtf8());
        QVERIFY(!load("@" + m_dir.filePath("list.txt")));
        QVERIFY(!load("http://127.0.0.1:9/p.png"));
    }
};

QTEST_GUILESS_MAIN(TstMagickRuntime)
#include "tst_MagickRuntime.moc"
