#include "PageGeometry.h"
#include "Units.h"

#include <QtTest>

// Page sizing and margin clearing on synthetic pages with known answers.
class TestPageGeometry : public QObject
{
    Q_OBJECT

private slots:
    // Centred on the page: the overhang is cut, the rest is white (the source has no 255).
    void resizeToPage_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QRect>("from"); // copied source area
        QTest::addColumn<QPoint>("to");  // where it lands
        // A4 at 300 dpi from 2000 x 3000: 240 white columns and 254 white rows per side.
        QTest::newRow("pad A4") << QSize(2000, 3000)
                                << QSize(mmToPixels(210, 300), mmToPixels(297, 300))
                                << QRect(0, 0, 2000, 3000) << QPoint(240, 254);
        QTest::newRow("cut and pad")
            << QSize(100, 80) << QSize(60, 85) << QRect(20, 0, 60, 80) << QPoint(0, 2);
    }
    void resizeToPage()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, target);
        QFETCH(QRect, from);
        QFETCH(QPoint, to);
        cv::Mat src(source.height(), source.width(), CV_8UC3);
        cv::randu(src, 0, 250);
        const cv::Mat out = ImageHelper::resizeToPage(src, target.width(), target.height(), 1);
        QCOMPARE(QSize(out.cols, out.rows), target);
        const cv::Rect area(from.x(), from.y(), from.width(), from.height());
        QCOMPARE(cv::norm(out(area - area.tl() + cv::Point(to.x(), to.y())), src(area)), 0.0);
        QCOMPARE(cv::countNonZero(out.reshape(1) == 255), int(3 * (out.total() - area.area())));
        QVERIFY(ImageHelper::resizeToPage(src, 0, 10, 1).empty());
    }

    void clearMarginsA4()
    {
        // 10, 10, 20, 20 mm at 300 dpi: 118 rows and 236 columns; the far boundary
        // row and column are kept (inclusive bounds), so 117 rows and 235 columns go there.
        const int v = mmToPixels(10, 300), h = mmToPixels(20, 300);
        QCOMPARE(QPoint(v, h), QPoint(118, 236));
        const cv::Mat page(3508, 2480, CV_8UC3, cv::Scalar::all(0));
        const cv::Mat out = ImageHelper::clearMargins(page, v, v, h, h, QColor(10, 20, 30));
        const cv::Vec3b paint(30, 20, 10);
        for (const QPoint p :
             {QPoint(1000, 117), QPoint(1000, 3391), QPoint(235, 1000), QPoint(2245, 1000)})
            QCOMPARE(out.at<cv::Vec3b>(p.y(), p.x()), paint);
        QCOMPARE(cv::countNonZero(out.reshape(1) == 0) / 3, (3390 - 118 + 1) * (2244 - 236 + 1));
        QCOMPARE(cv::countNonZero(page.reshape(1)), 0);
    }

    void clearMargins_data()
    {
        QTest::addColumn<QVector<int>>("margins"); // top, bottom, left, right
        QTest::addColumn<QRect>("kept");           // on a 100 x 100 grey page
        // Larger than the page: the inner size is taken by absolute value.
        QTest::newRow("larger than page") << QVector<int>{80, 80, 70, 90} << QRect(70, 80, 30, 20);
        QTest::newRow("past the page") << QVector<int>{150, 0, 0, 0} << QRect();
    }
    void clearMargins()
    {
        QFETCH(QVector<int>, margins);
        QFETCH(QRect, kept);
        const cv::Mat page(100, 100, CV_8UC1, cv::Scalar(0));
        const cv::Mat out =
            ImageHelper::clearMargins(page, margins[0], margins[1], margins[2], margins[3]);
        cv::Mat expected(100, 100, CV_8UC1, cv::Scalar(255));
        expected(cv::Rect(kept.x(), kept.y(), kept.width(), kept.height())).setTo(0);
        QCOMPARE(cv::norm(out, expected, cv::NORM_INF), 0.0);
    }
};

QTEST_APPLESS_MAIN(TestPageGeometry)
#include "tst_PageGeometry.moc"
