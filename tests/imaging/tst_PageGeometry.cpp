#include "PageGeometry.h"
#include "Units.h"

#include <QtTest>
#include <opencv2/core.hpp>

// Page sizing and margin clearing on synthetic pages with known answers.
class TestPageGeometry : public QObject
{
    Q_OBJECT

private slots:
    void resizeToPage_data();
    void resizeToPage();
    void resizeToPageKeepsCornerWhenNotCentred();
    void resizeToPageRejectsEmptyTarget();
    void clearMarginsA4();
    void clearMargins_data();
    void clearMargins();
};

// A page whose every pixel names its source column (mod 250) and row band, so the
// copied area can be located.
static cv::Mat numberedPage(int rows, int cols, int channels)
{
    cv::Mat page(rows, cols, CV_8UC(channels));
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x)
            for (int c = 0; c < channels; ++c)
                page.ptr<uchar>(y)[x * channels + c] =
                    static_cast<uchar>(c == 0 ? x % 250 : y % 250);
    return page;
}

void TestPageGeometry::resizeToPage_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QPoint>("sourceOrigin"); // first copied source pixel
    QTest::addColumn<QPoint>("targetOrigin"); // where it lands

    // A4 at 300 dpi from 2000 x 3000: 240 white columns and 254 white rows per side.
    QTest::newRow("pad A4") << 3 << QSize(2000, 3000)
                            << QSize(mmToPixels(210, 300), mmToPixels(297, 300)) << QPoint(0, 0)
                            << QPoint(240, 254);
    // One column less: offset (2000 - 1999) / 2 = 0, the last column goes.
    QTest::newRow("cut one column")
        << 1 << QSize(2000, 30) << QSize(1999, 30) << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("cut both sides")
        << 3 << QSize(100, 80) << QSize(60, 40) << QPoint(20, 20) << QPoint(0, 0);
    QTest::newRow("odd padding") << 1 << QSize(10, 10) << QSize(15, 13) << QPoint(0, 0)
                                 << QPoint(2, 1);
    QTest::newRow("same size") << 3 << QSize(40, 30) << QSize(40, 30) << QPoint(0, 0)
                               << QPoint(0, 0);
}

void TestPageGeometry::resizeToPage()
{
    QFETCH(int, channels);
    QFETCH(QSize, source);
    QFETCH(QSize, target);
    QFETCH(QPoint, sourceOrigin);
    QFETCH(QPoint, targetOrigin);

    const cv::Mat src = numberedPage(source.height(), source.width(), channels);
    const cv::Mat out = ImageHelper::resizeToPage(src, target.width(), target.height(), 1);
    QCOMPARE(out.cols, target.width());
    QCOMPARE(out.rows, target.height());
    QCOMPARE(out.type(), src.type());

    const int keptW = std::min(source.width(), target.width());
    const int keptH = std::min(source.height(), target.height());
    const cv::Rect from(sourceOrigin.x(), sourceOrigin.y(), keptW, keptH);
    const cv::Rect to(targetOrigin.x(), targetOrigin.y(), keptW, keptH);
    QCOMPARE(cv::norm(out(to), src(from), cv::NORM_INF), 0.0);

    // Everything outside the copied area is white.
    cv::Mat mask(out.size(), CV_8UC1, cv::Scalar(255));
    mask(to).setTo(0);
    cv::Mat white(out.size(), out.type(), cv::Scalar::all(255));
    QCOMPARE(cv::norm(out, white, cv::NORM_INF, mask), 0.0);
}

void TestPageGeometry::resizeToPageKeepsCornerWhenNotCentred()
{
    const cv::Mat src = numberedPage(20, 30, 3);
    const cv::Mat out = ImageHelper::resizeToPage(src, 50, 10, 0);
    // Rows are cut from the middle as in the centred case, but placed at the top-left.
    QCOMPARE(cv::norm(out(cv::Rect(0, 0, 30, 10)), src(cv::Rect(0, 5, 30, 10)), cv::NORM_INF), 0.0);
    QCOMPARE(out.at<cv::Vec3b>(0, 40), cv::Vec3b(255, 255, 255));
}

void TestPageGeometry::resizeToPageRejectsEmptyTarget()
{
    QVERIFY(ImageHelper::resizeToPage(numberedPage(5, 5, 1), 0, 10, 1).empty());
    QVERIFY(ImageHelper::resizeToPage(numberedPage(5, 5, 1), 10, -3, 1).empty());
    const cv::Mat blank = ImageHelper::resizeToPage(cv::Mat(), 4, 3, 1);
    QCOMPARE(blank.size(), cv::Size(4, 3));
}

void TestPageGeometry::clearMarginsA4()
{
    // 10, 10, 20, 20 mm at 300 dpi: 118 rows, 236 columns; the far boundary row and
    // column are kept (inclusive bounds), so 117 rows and 235 columns go there.
    const int top = mmToPixels(10, 300);
    const int side = mmToPixels(20, 300);
    QCOMPARE(top, 118);
    QCOMPARE(side, 236);
    const cv::Mat page(3508, 2480, CV_8UC3, cv::Scalar(0, 0, 0));
    const cv::Mat out = ImageHelper::clearMargins(page, top, top, side, side, QColor(10, 20, 30));
    const cv::Vec3b paint(30, 20, 10);
    QCOMPARE(out.at<cv::Vec3b>(117, 1000), paint);
    QCOMPARE(out.at<cv::Vec3b>(118, 1000), cv::Vec3b(0, 0, 0));
    QCOMPARE(out.at<cv::Vec3b>(3390, 1000), cv::Vec3b(0, 0, 0));
    QCOMPARE(out.at<cv::Vec3b>(3391, 1000), paint);
    QCOMPARE(out.at<cv::Vec3b>(1000, 235), paint);
    QCOMPARE(out.at<cv::Vec3b>(1000, 236), cv::Vec3b(0, 0, 0));
    QCOMPARE(out.at<cv::Vec3b>(1000, 2244), cv::Vec3b(0, 0, 0));
    QCOMPARE(out.at<cv::Vec3b>(1000, 2245), paint);
    QCOMPARE(cv::countNonZero(out.reshape(1) == 0) / 3, (3390 - 118 + 1) * (2244 - 236 + 1));
    // The input is untouched.
    QCOMPARE(page.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 0));
}

void TestPageGeometry::clearMargins_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<QRect>("kept"); // on a 100 x 100 grey page

    QTest::newRow("none") << 0 << 0 << 0 << 0 << QRect(0, 0, 100, 100);
    QTest::newRow("small") << 5 << 10 << 20 << 30 << QRect(20, 5, 51, 86);
    // Margins larger than the page: the inner size is taken by absolute value.
    QTest::newRow("larger than page") << 80 << 80 << 70 << 90 << QRect(70, 80, 30, 20);
    QTest::newRow("past the page") << 150 << 0 << 0 << 0 << QRect();
}

void TestPageGeometry::clearMargins()
{
    QFETCH(int, top);
    QFETCH(int, bottom);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(QRect, kept);

    const cv::Mat page(100, 100, CV_8UC1, cv::Scalar(0));
    const cv::Mat out = ImageHelper::clearMargins(page, top, bottom, left, right);
    QCOMPARE(out.size(), page.size());
    cv::Mat expected(100, 100, CV_8UC1, cv::Scalar(255));
    if (!kept.isEmpty())
        expected(cv::Rect(kept.x(), kept.y(), kept.width(), kept.height())).setTo(0);
    QCOMPARE(cv::norm(out, expected, cv::NORM_INF), 0.0);
}

QTEST_APPLESS_MAIN(TestPageGeometry)
#include "tst_PageGeometry.moc"
