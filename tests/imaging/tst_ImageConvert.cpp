#include "ImageConvert.h"

#include <QtTest>

class TstImageConvert : public QObject
{
    Q_OBJECT

private slots:
    void displayImage_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("format");
        QTest::addColumn<QRgb>("pixel"); // samples: blue 10, green 20, red 200; grey 90
        QTest::newRow("grey") << CV_8UC1 << int(QImage::Format_Grayscale8) << qRgb(90, 90, 90);
        QTest::newRow("bgr") << CV_8UC3 << int(QImage::Format_RGB888) << qRgb(200, 20, 10);
        QTest::newRow("bgra 16") << CV_16UC4 << int(QImage::Format_RGBA64) << qRgb(200, 20, 10);
        QTest::newRow("float") << CV_32FC1 << int(QImage::Format_Invalid) << QRgb(0);
    }
    void displayImage()
    {
        QFETCH(int, type);
        QFETCH(int, format);
        QFETCH(QRgb, pixel);
        const double unit = CV_MAT_DEPTH(type) == CV_16U ? 257.0 : 1.0;
        cv::Mat big(30, 50, type,
                    CV_MAT_CN(type) == 1 ? cv::Scalar::all(90)
                                         : cv::Scalar(10, 20, 200, 255) * unit);
        const QImage image = ImageHelper::matToQImage(big(cv::Rect(3, 2, 21, 13))); // odd stride
        QCOMPARE(int(image.format()), format);
        big.setTo(cv::Scalar::all(0)); // the image owns its pixels
        if (format != QImage::Format_Invalid)
            QCOMPARE(image.pixel(20, 12), pixel);
    }
};

QTEST_GUILESS_MAIN(TstImageConvert)
#include "tst_ImageConvert.moc"
