#include "ImageConvert.h"
#include "MagickRuntime.h"
#include "PageFile.h"

#include <Magick++.h>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <list>

class TstMagickRuntime : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        MagickRuntime::ensureInitialised();
        MagickRuntime::ensureInitialised(); // idempotent
        QVERIFY(QFile::exists(MagickRuntime::policyFilePath()));
    }

    // An A0 sheet scanned at 600 dpi is beyond the distribution's 16000 px / 128 MP caps.
    void a0At600DpiOpens()
    {
        const QString file = m_dir.filePath("a0.tif");
        {
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
        }
        const PageInfo info = PageFile::readInfo(file);
        QCOMPARE(info.width, 19866);
        QCOMPARE(info.colourText, QStringLiteral("黑白图像"));
        cv::Mat page;
        int x = 0, y = 0;
        QVERIFY(PageFile::loadWithDensity(file, page, x, y));
        QCOMPARE(page.cols, 19866);
        QCOMPARE(page.rows, 28087);
        QCOMPARE(page.channels(), 1);
        QCOMPARE(x, 600);
        QCOMPARE(int(page.at<uchar>(27200, 18200)), 0);
        QCOMPARE(int(page.at<uchar>(100, 100)), 255);
    }

    void pdfIsWrittenButNeverRead()
    {
        std::list<Magick::Image> pages;
        pages.push_back(
            ImageHelper::matToMagick(cv::Mat(200, 150, CV_8UC3, cv::Scalar(0, 0, 255))));
        pages.push_back(ImageHelper::matToMagick(cv::Mat(200, 150, CV_8UC1, cv::Scalar(90))));
        const QString pdf = m_dir.filePath("合并 文件.pdf");
        Magick::writeImages(pages.begin(), pages.end(), pdf.toUtf8().toStdString(), true);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 2);

        cv::Mat mat;
        int x, y;
        QVERIFY(!PageFile::loadWithDensity(pdf, mat, x, y));
        QVERIFY(!PageFile::readInfo(pdf).valid);
        QVERIFY(PageFile::loadForEdit(pdf).empty());
    }

    // '@' reads file names from a list file; the network coders fetch URLs.
    void indirectSourcesRefused()
    {
        const QString png = m_dir.filePath("p.png");
        QVERIFY(PageFile::saveWithDensity(cv::Mat(10, 10, CV_8UC1, cv::Scalar(0)), png, 72, 72));
        QFile list(m_dir.filePath("list.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(png.toUtf8());
        list.close();
        cv::Mat mat;
        int x, y;
        QVERIFY(!PageFile::loadWithDensity("@" + list.fileName(), mat, x, y));
        QVERIFY(!PageFile::loadWithDensity("http://127.0.0.1:9/p.png", mat, x, y));
    }
};

QTEST_GUILESS_MAIN(TstMagickRuntime)
#include "tst_MagickRuntime.moc"
