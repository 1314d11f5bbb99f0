#include "PageFormat.h"
#include "StatsTestPages.h"
#include "StatsTotals.h"

#include <QtTest>

// Classification from pixels and resolution, as billed.
class TestPageFormat : public QObject
{
    Q_OBJECT
private slots:
    void classifiesScannedPages_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QString>("format");
        // The examples that define the rule: 2480x3508 at 300 dpi is 209.97 x
        // 297.01 mm; 2100x2970 at 254 dpi is exactly A4, which is not strictly
        // smaller than A4 without tolerance.
        QTest::newRow("A4 300 dpi, 0 mm") << QSize(2480, 3508) << 300 << 0 << "A4";
        QTest::newRow("A4 254 dpi, 0 mm") << QSize(2100, 2970) << 254 << 0 << "A3";
        QTest::newRow("A4 254 dpi, 1 mm") << QSize(2100, 2970) << 254 << 1 << "A4";
        QTest::newRow("A4 200 dpi, 0 mm") << QSize(1654, 2339) << 200 << 0 << "A3";
        QTest::newRow("A4 200 dpi, 1 mm") << QSize(1654, 2339) << 200 << 1 << "A4";
        QTest::newRow("A3 300 dpi, 0 mm") << QSize(4961, 3508) << 300 << 0 << "A2";
        QTest::newRow("A3 300 dpi, 1 mm") << QSize(4961, 3508) << 300 << 1 << "A3";
        QTest::newRow("A0 254 dpi, 0 mm") << QSize(11890, 8410) << 254 << 0 << "超A0";
        QTest::newRow("A0 254 dpi, 1 mm") << QSize(11890, 8410) << 254 << 1 << "A0";
        QTest::newRow("A0 200 dpi, 0 mm") << QSize(9362, 6622) << 200 << 0 << "A0";
        QTest::newRow("beyond A0 at 5 mm") << QSize(13000, 9000) << 254 << 5 << "超A0";
        QTest::newRow("a stamp") << QSize(10, 10) << 300 << 0 << "A4";
        // Rotated pages count by area, like upright ones.
        QTest::newRow("A4 landscape") << QSize(3508, 2480) << 300 << 0 << "A4";
    }
    void classifiesScannedPages()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, dpi);
        QFETCH(int, tolerance);
        QFETCH(QString, format);
        QCOMPARE(PageFormat::classify(pixels, dpi, dpi, tolerance), format);
    }

    void millimetresRoundToTheHundredth()
    {
        QCOMPARE(PageFormat::pixelsToMm(2480, 300), 209.97f);
        QCOMPARE(PageFormat::pixelsToMm(3508, 300), 297.01f);
        QCOMPARE(PageFormat::pixelsToMm(2100, 254), 210.0f);
        QCOMPARE(StatsTestPages::pagePixels(210, 297, 300), QSize(2480, 3508));
    }

    void colourTexts_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("text");
        QTest::newRow("bilevel") << 1 << 1 << "黑白图像";
        QTest::newRow("grey") << 8 << 1 << "灰度图像";
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

    void beyondA0CountsOnlyInTheTotal()
    {
        QCOMPARE(PageFormat::a4Weight("A0"), 16);
        QCOMPARE(PageFormat::a4Weight("超A0"), 0);
        StatsTotals totals;
        totals.counts = {{"A4", 3}, {"A3", 1}, {"A1", 1}, {"超A0", 2}};
        QCOMPARE(totals.a4Equivalent(), 3 + 2 + 8 + 32);
    }

    void referenceTable()
    {
        const auto& table = PageFormat::table();
        QCOMPARE(table.size(), 6);
        QCOMPARE(table.last().name, QStringLiteral("超A0"));
        QCOMPARE(table.last().widthMm, 1292);
        QCOMPARE(table.at(1).widthMm, 420);
        QCOMPARE(table.at(1).heightMm, 297);
    }
};

QTEST_GUILESS_MAIN(TestPageFormat)
#include "tst_PageFormat.moc"
