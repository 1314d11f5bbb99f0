#include "PageFormat.h"

#include <QtTest>

// Classification from pixels and resolution, as billed.
class TestPageFormat : public QObject
{
    Q_OBJECT
private slots:
    // The scanned A4/A3/A0 families are in the scanner's test, from real files.
    void classifiesOddPages_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("xDpi");
        QTest::addColumn<int>("yDpi");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QString>("format");
        QTest::newRow("a stamp") << QSize(10, 10) << 300 << 300 << 0 << "A4";
        // Rotated pages count by area, like upright ones.
        QTest::newRow("A4 landscape") << QSize(3508, 2480) << 300 << 300 << 0 << "A4";
        QTest::newRow("A4, 300 x 150 dpi") << QSize(2480, 1754) << 300 << 150 << 0 << "A4";
        QTest::newRow("beyond A0 at 5 mm") << QSize(13000, 9000) << 254 << 254 << 5 << "超A0";
        QTest::newRow("A1 at the widest tolerance")
            << QSize(8410, 5940) << 254 << 254 << 99 << "A1";
    }
    void classifiesOddPages()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, xDpi);
        QFETCH(int, yDpi);
        QFETCH(int, tolerance);
        QFETCH(QString, format);
        QCOMPARE(PageFormat::classify(pixels, xDpi, yDpi, tolerance), format);
    }

    void colourTexts_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("text");
        QTest::newRow("grey with alpha") << 8 << 2 << "灰度图像";
        QTest::newRow("rgb") << 8 << 3 << "彩色图像 24位";
        QTest::newRow("rgba") << 8 << 4 << "彩色图像 32位";
        QTest::newRow("16-bit grey") << 16 << 1 << "彩色图像 16位";
    }
    void colourTexts()
    {
        QFETCH(int, depth);
        QFETCH(int, channels);
        QFETCH(QString, text);
        QCOMPARE(PageFormat::colourText(depth, channels), text);
    }
};

QTEST_GUILESS_MAIN(TestPageFormat)
#include "tst_PageFormat.moc"
