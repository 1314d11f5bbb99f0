#include "PageTestFiles.h"
#include "RegionOps.h"
#include "ToneOps.h"

#include <QtTest>
#include <opencv2/imgproc.hpp>

using PageTestFiles::same;

static cv::Mat noisePage(int channels, int w = 200, int h = 120)
{
    cv::Mat m(h, w, CV_8UC(channels));
    cv::RNG(7).fill(m, cv::RNG::UNIFORM, 0, 256);
    return m;
}

// Reference: pixels inside `keep` stay as in `src`, the others hold `fill`.
static cv::Mat painted(const cv::Mat& src, const cv::Scalar& fill, const QRect& keep, bool invert)
{
    cv::Mat out = src.clone();
    for (int y = 0; y < src.rows; ++y)
        for (int x = 0; x < src.cols; ++x)
            if (keep.contains(x, y) == invert)
                out(cv::Rect(x, y, 1, 1)).setTo(fill);
    return out;
}

static const QColor kColour(30, 20, 10); // blue 10, green 20, red 30

class RegionOpsTest : public QObject
{
    Q_OBJECT
private slots:
    void clearOutsideAndInside_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("kept");   // inclusive area clearOutside keeps; empty = unchanged
        QTest::addColumn<QRect>("filled"); // area clearInside fills
        QTest::newRow("colour") << 3 << QRect(10, 10, 100, 50) << QRect(10, 10, 101, 51)
                                << QRect(10, 10, 100, 50);
        QTest::newRow("grey") << 1 << QRect(10, 10, 100, 50) << QRect(10, 10, 101, 51)
                              << QRect(10, 10, 100, 50);
        QTest::newRow("partly outside")
            << 3 << QRect(150, -20, 100, 60) << QRect(150, 0, 50, 41) << QRect(150, 0, 50, 40);
        QTest::newRow("dragged backwards") << 3 << QRect(QPoint(50, 40), QPoint(20, 10))
                                           << QRect(50, 40, 30, 30) << QRect(50, 40, 29, 29);
        QTest::newRow("empty") << 3 << QRect(10, 10, 0, 50) << QRect() << QRect();
    }
    void clearOutsideAndInside()
    {
        QFETCH(int, channels);
        QFETCH(QRect, rect);
        QFETCH(QRect, kept);
        QFETCH(QRect, filled);
        const cv::Mat src = noisePage(channels);
        const cv::Mat before = src.clone();
        const cv::Mat outside = ImageHelper::clearOutside(src, rect, kColour);
        const cv::Mat inside = ImageHelper::clearInside(src, rect, kColour);
        QVERIFY(same(src, before));
        const cv::Scalar bgr(10, 20, 30), outFill = channels == 1 ? cv::Scalar::all(255) : bgr;
        QVERIFY(same(outside, kept.isEmpty() ? src : painted(src, outFill, kept, false)));
        QVERIFY(same(inside, kept.isEmpty() ? src : painted(src, bgr, filled, true)));
    }

    void cropAndPaste()
    {
        const cv::Mat src = noisePage(3);
        const cv::Mat part = ImageHelper::crop(src, QRect(150, 100, 80, 80));
        QCOMPARE(part.size(), cv::Size(50, 20));
        QCOMPARE(part.data, src.ptr(100, 150));
        QCOMPARE(ImageHelper::crop(src, QRect(5, 5, 0, 0)).size(), src.size());
        // A grey clip pasted partly off the page: only the visible part lands.
        const cv::Mat clip(20, 30, CV_8UC1, cv::Scalar(77));
        QVERIFY(same(ImageHelper::pasteRegion(src, clip, QRect(-10, 110, 31, 21)),
                     painted(src, cv::Scalar::all(77), QRect(0, 110, 20, 10), true)));
        QVERIFY(same(ImageHelper::pasteRegion(src, clip, QRect(5, 6, 1, 1)), src));
    }

    void perspectiveOfRectangleOnlyCrops()
    {
        const cv::Mat src = noisePage(3);
        const QVector<QPoint> quad = {{10, 20}, {110, 20}, {110, 80}, {10, 80}};
        QVERIFY(same(ImageHelper::perspectiveCorrect(src, quad), src(cv::Rect(10, 20, 100, 60))));
        // Longer of each pair of opposite sides, truncated: 100 (not 70.7) by 63 (not 50.99).
        const QVector<QPoint> trapezoid = {{0, 0}, {100, 0}, {80, 60}, {10, 50}};
        QCOMPARE(ImageHelper::perspectiveCorrect(src, trapezoid).size(), cv::Size(100, 63));
        QCOMPARE(ImageHelper::perspectiveCorrect(src, {{0, 0}, {10, 10}, {20, 20}, {30, 30}}).data,
                 src.data); // collinear corners
    }

    void autoCorrectFindsPage_data()
    {
        QTest::addColumn<float>("skew");
        QTest::addColumn<QSize>("size");
        QTest::newRow("aligned") << 0.f << QSize(280, 200); // two extremes share a corner
        QTest::newRow("nearly aligned") << 0.3f << QSize(200, 280);
        QTest::newRow("-25 degrees") << -25.f << QSize(280, 200);
    }
    void autoCorrectFindsPage()
    {
        QFETCH(float, skew);
        QFETCH(QSize, size);
        cv::Mat scan(500, 500, CV_8UC3, cv::Scalar::all(20));
        cv::Point2f corner[4];
        cv::RotatedRect({250.f, 250.f}, cv::Size2f(size.width(), size.height()), skew)
            .points(corner);
        cv::fillConvexPoly(scan, std::vector<cv::Point>(corner, corner + 4), cv::Scalar::all(235));
        const cv::Mat page = ImageHelper::autoCorrect(scan);
        // The dilated edge lies a few pixels outside the page on every side.
        QVERIFY2(qAbs(page.cols - size.width()) <= 8 && qAbs(page.rows - size.height()) <= 8,
                 qPrintable(QString("%1 x %2").arg(page.cols).arg(page.rows)));
        cv::Mat dark;
        cv::inRange(page, cv::Scalar::all(0), cv::Scalar::all(127), dark);
        QVERIFY(cv::countNonZero(dark) < 0.05 * page.total()); // rectified, not boxed
        cv::Mat grey;
        cv::cvtColor(scan, grey, cv::COLOR_BGR2GRAY);
        QCOMPARE(ImageHelper::autoCorrect(grey).data, grey.data);
    }

    void tinyAndEmptyInputs()
    {
        const QVector<QPoint> quad = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        const cv::Mat flat(50, 50, CV_8UC3, cv::Scalar::all(128));
        QCOMPARE(ImageHelper::autoCorrect(flat).data, flat.data);
        const QRect r(0, 0, 9, 9); // clipped to the image
        // 16-bit and alpha matrices too, which no reader should hand over.
        for (const cv::Mat& m :
             {cv::Mat(), noisePage(1, 1, 1), noisePage(3, 1, 1), noisePage(4, 3, 3),
              cv::Mat(3, 3, CV_16UC3, cv::Scalar::all(40000))}) {
            for (const cv::Mat& out :
                 {ImageHelper::clearInside(m, r, kColour), ImageHelper::clearOutside(m, r, kColour),
                  ImageHelper::crop(m, r), ImageHelper::pasteRegion(m, m, QRect(0, 0, 2, 2)),
                  ImageHelper::autoCorrect(m)})
                QVERIFY(out.size() == m.size() && out.type() == m.type());
            QCOMPARE(ImageHelper::perspectiveCorrect(m, quad).type(), m.type());
            for (const cv::Mat& out :
                 {ImageHelper::clearBackground(m, Qt::white), ImageHelper::contentLight(m),
                  ImageHelper::contentDeep(m), ImageHelper::redSealDeep(m),
                  ImageHelper::binarize(m), ImageHelper::adjustColour(m, 1.5f, 5, 1.5f)})
                QCOMPARE(out.size(), m.size()); // binarize gives grey
        }
    }
};

QTEST_APPLESS_MAIN(RegionOpsTest)
#include "tst_RegionOps.moc"
