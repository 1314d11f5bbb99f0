#include "Rotation.h"

#include <QtTest>
#include <cmath>
#include <opencv2/imgproc.hpp>

// A text-like page: rows of word blocks, as a scanner delivers typed pages.
static cv::Mat textPage(float tilt)
{
    cv::Mat page(1400, 1000, CV_8UC1, cv::Scalar(255));
    cv::RNG rng(7);
    for (int y = 120; y < 1280; y += 60)
        for (int x = 100, w = 0; x < 880; x += w + 14) {
            w = rng.uniform(30, 120);
            page(cv::Rect(x, y, std::min(w, 900 - x), 22)).setTo(0);
        }
    return ImageHelper::rotateByAngle(page, tilt);
}

// The turn that makes the rows sharpest in a horizontal projection (the page's skew).
static double measuredSkew(const cv::Mat& full)
{
    cv::Mat page;
    cv::resize(full, page, cv::Size(), 0.5, 0.5, cv::INTER_AREA);
    double best = 0, bestScore = -1;
    for (double a = -4.0; a <= 4.0; a += 0.1) {
        cv::Mat rows;
        cv::reduce(255 - ImageHelper::rotateByAngle(page, float(a)), rows, 1, cv::REDUCE_SUM,
                   CV_64F);
        cv::Scalar mean, dev;
        cv::meanStdDev(rows, mean, dev);
        if (dev[0] > bestScore)
            bestScore = dev[0], best = a;
    }
    return -best;
}

class TstRotation : public QObject
{
    Q_OBJECT

private slots:
    // One marked pixel near the top-left corner of a 30 x 20 page shows where each turn sends it.
    void turnsAndFlips_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("code");
        QTest::addColumn<QPoint>("where"); // (x, y) of the mark afterwards
        QTest::newRow("left 90") << "rotate" << 90 << QPoint(2, 27);
        QTest::newRow("right 270") << "rotate" << 270 << QPoint(17, 2);
        QTest::newRow("180") << "rotate" << 180 << QPoint(27, 17);
        QTest::newRow("mirror left-right") << "flip" << 1 << QPoint(27, 2);
        QTest::newRow("mirror top-bottom") << "flip" << 0 << QPoint(2, 17);
    }
    void turnsAndFlips()
    {
        QFETCH(QString, op);
        QFETCH(int, code);
        QFETCH(QPoint, where);
        cv::Mat page(20, 30, CV_8UC3, cv::Scalar::all(255));
        page.at<cv::Vec3b>(2, 2) = cv::Vec3b(0, 0, 0);
        const cv::Mat out =
            op == "rotate" ? ImageHelper::rotate(page, code) : ImageHelper::flip(page, code);
        QCOMPARE(out.at<cv::Vec3b>(where.y(), where.x()), cv::Vec3b(0, 0, 0));
        QCOMPARE(page.at<cv::Vec3b>(2, 2), cv::Vec3b(0, 0, 0)); // input untouched
    }

    void rotateByAngle()
    {
        const cv::Mat page(201, 300, CV_8UC3, cv::Scalar::all(0));
        const cv::Mat out = ImageHelper::rotateByAngle(page, 10.f);
        QCOMPARE(out.size(), page.size());
        QCOMPARE(out.at<cv::Vec3b>(200, 299), cv::Vec3b(255, 255, 255)); // white corners
        // Counter-clockwise: the right end of a horizontal bar rises.
        cv::Mat bar(201, 301, CV_8UC1, cv::Scalar(255));
        cv::line(bar, {40, 100}, {260, 100}, cv::Scalar(0), 3);
        QVERIFY(ImageHelper::rotateByAngle(bar, 10.f).at<uchar>(81, 256) < 128);
    }

    void deskewLevelsTiltedText_data()
    {
        QTest::addColumn<float>("tilt");
        QTest::newRow("+3") << 3.f;
        QTest::newRow("+0.9 (read as 1 degree)") << 0.9f;
    }
    void deskewLevelsTiltedText()
    {
        QFETCH(float, tilt);
        const cv::Mat page = textPage(tilt);
        QVERIFY(std::fabs(measuredSkew(page) - tilt) < 0.3);
        const double level = measuredSkew(ImageHelper::autoDeskew(page, 2));
        QVERIFY2(std::fabs(level) <= 1.0, qPrintable(QString::number(level)));
        cv::Mat colour, grey;
        cv::cvtColor(page, colour, cv::COLOR_GRAY2BGR);
        cv::cvtColor(ImageHelper::autoDeskew(colour, 2), grey, cv::COLOR_BGR2GRAY);
        QVERIFY(std::fabs(measuredSkew(grey)) <= 1.0);
    }

    void pagesLeftAlone()
    {
        const cv::Mat blank(800, 600, CV_8UC1, cv::Scalar(255));
        QTest::ignoreMessage(QtWarningMsg, " 纠斜失败，未检测到特征 ");
        QCOMPARE(cv::norm(ImageHelper::autoDeskew(blank, 2), blank, cv::NORM_INF), 0.0);
        // Hough angles come in whole degrees: this tilt's lines read as 0.99999 degrees,
        // which the whole-degree sum drops.
        const cv::Mat tilted = textPage(-0.9f);
        QCOMPARE(cv::norm(ImageHelper::autoDeskew(tilted, 2), tilted, cv::NORM_INF), 0.0);
    }

    void deskewAngleRules_data()
    {
        QTest::addColumn<QList<double>>("tilts");
        QTest::addColumn<double>("angle");
        QTest::newRow("tie takes negative") << QList<double>{2.5, -3.5} << -3.0;
        QTest::newRow("majority positive") << QList<double>{2.5, 4.5, -3.5} << 3.0;
        QTest::newRow("whole-degree sum") << QList<double>{2.5, 2.5, 2.5} << 2.0;
        QTest::newRow("steep ignored") << QList<double>{46, -50, 60, -1.5} << -1.0;
        QTest::newRow("none") << QList<double>{} << 0.0;
    }
    void deskewAngleRules()
    {
        QFETCH(QList<double>, tilts);
        QFETCH(double, angle);
        std::vector<cv::Vec2f> lines; // Hough (rho, theta) with the given tilt in degrees
        for (double t : tilts)
            lines.push_back(cv::Vec2f(100.f, float((t + 90.0) * CV_PI / 180.0)));
        QCOMPARE(ImageHelper::deskewAngle(lines), angle);
    }
};

QTEST_GUILESS_MAIN(TstRotation)
#include "tst_Rotation.moc"
