#include "Rotation.h"

#include <QtTest>
#include <cmath>
#include <opencv2/imgproc.hpp>

// A text-like page: rows of word blocks, as a scanner delivers typed pages.
static cv::Mat textPage()
{
    cv::Mat page(1400, 1000, CV_8UC1, cv::Scalar(255));
    cv::RNG rng(7);
    for (int y = 120; y < 1280; y += 60)
        for (int x = 100; x < 880;) {
            const int w = rng.uniform(30, 120);
            cv::rectangle(page, cv::Rect(x, y, std::min(w, 900 - x), 22), cv::Scalar(0),
                          cv::FILLED);
            x += w + 14;
        }
    return page;
}

// The turn that makes the rows sharpest in a horizontal projection (the page's skew).
static double measuredSkew(const cv::Mat& full)
{
    cv::Mat page;
    cv::resize(full, page, cv::Size(), 0.5, 0.5, cv::INTER_AREA);
    double best = 0, bestScore = -1;
    for (double a = -4.0; a <= 4.0; a += 0.1) {
        cv::Mat turned = ImageHelper::rotateByAngle(page, static_cast<float>(a)), rows;
        cv::reduce(255 - turned, rows, 1, cv::REDUCE_SUM, CV_64F);
        cv::Scalar mean, dev;
        cv::meanStdDev(rows, mean, dev);
        if (dev[0] > bestScore) {
            bestScore = dev[0];
            best = a;
        }
    }
    return -best;
}

// A Hough line (rho, theta) whose tilt is the given number of degrees.
static cv::Vec2f lineWithTilt(double degrees)
{
    return cv::Vec2f(100.f, static_cast<float>((degrees + 90.0) * CV_PI / 180.0));
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
        QCOMPARE(out.total(), page.total());
        QCOMPARE(page.at<cv::Vec3b>(2, 2), cv::Vec3b(0, 0, 0)); // input untouched
    }

    void rotateByAngleKeepsSizeWithWhiteCorners_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("grey") << CV_8UC1;
        QTest::newRow("colour") << CV_8UC3;
    }
    void rotateByAngleKeepsSizeWithWhiteCorners()
    {
        QFETCH(int, type);
        const cv::Mat page(201, 300, type, cv::Scalar::all(0));
        const cv::Mat out = ImageHelper::rotateByAngle(page, 10.f);
        QCOMPARE(out.size(), page.size());
        for (cv::Point p :
             {cv::Point(0, 0), cv::Point(299, 0), cv::Point(0, 200), cv::Point(299, 200)})
            QCOMPARE(cv::norm(out(cv::Rect(p, cv::Size(1, 1))), cv::NORM_L1),
                     255.0 * out.channels());
        // The centre is halved in whole pixels: on odd sizes a half turn maps the frame onto
        // itself.
        cv::Mat odd(201, 301, type);
        cv::randu(odd, 0, 256);
        cv::Mat halfTurn;
        cv::rotate(odd, halfTurn, cv::ROTATE_180);
        QCOMPARE(cv::norm(ImageHelper::rotateByAngle(odd, 180.f), halfTurn, cv::NORM_INF), 0.0);
        // Counter-clockwise: the right end of a horizontal bar rises.
        cv::Mat bar(201, 301, CV_8UC1, cv::Scalar(255));
        cv::line(bar, {40, 100}, {260, 100}, cv::Scalar(0), 3);
        const cv::Mat turned = ImageHelper::rotateByAngle(bar, 10.f);
        QVERIFY(turned.at<uchar>(81, 256) < 128);
    }

    void deskewLevelsTiltedText_data()
    {
        QTest::addColumn<float>("tilt");
        QTest::newRow("+3") << 3.f;
        QTest::newRow("-3") << -3.f;
        QTest::newRow("+0.9 (read as 1 degree)") << 0.9f;
    }
    void deskewLevelsTiltedText()
    {
        QFETCH(float, tilt);
        const cv::Mat page = ImageHelper::rotateByAngle(textPage(), tilt);
        QVERIFY(std::fabs(measuredSkew(page) - tilt) < 0.3);
        const cv::Mat level = ImageHelper::autoDeskew(page, 2);
        QVERIFY2(std::fabs(measuredSkew(level)) <= 1.0,
                 qPrintable(QString::number(measuredSkew(level))));
        cv::Mat colour, grey;
        cv::cvtColor(page, colour, cv::COLOR_GRAY2BGR);
        cv::cvtColor(ImageHelper::autoDeskew(colour, 2), grey, cv::COLOR_BGR2GRAY);
        QVERIFY(std::fabs(measuredSkew(grey)) <= 1.0);
    }

    void pagesLeftAlone_data()
    {
        QTest::addColumn<float>("tilt");
        QTest::addColumn<bool>("blank");
        QTest::newRow("blank page") << 0.f << true;
        // Hough angles come in whole degrees: this tilt's lines read as 0.99999 degrees,
        // which the whole-degree sum drops.
        QTest::newRow("0.9 degree clockwise tilt") << -0.9f << false;
        QTest::newRow("level text") << 0.f << false;
    }
    void pagesLeftAlone()
    {
        QFETCH(float, tilt);
        QFETCH(bool, blank);
        const cv::Mat page = blank ? cv::Mat(800, 600, CV_8UC1, cv::Scalar(255))
                                   : ImageHelper::rotateByAngle(textPage(), tilt);
        if (blank)
            QTest::ignoreMessage(QtWarningMsg, " 纠斜失败，未检测到特征 ");
        QCOMPARE(cv::norm(ImageHelper::autoDeskew(page, 2), page, cv::NORM_INF), 0.0);
    }

    void deskewAngleRules_data()
    {
        QTest::addColumn<QList<double>>("tilts");
        QTest::addColumn<double>("angle");
        QTest::newRow("tie takes negative") << QList<double>{2.5, -3.5} << -3.0;
        QTest::newRow("majority positive") << QList<double>{2.5, 4.5, -3.5} << 3.0;
        QTest::newRow("whole-degree sum") << QList<double>{2.5, 2.5, 2.5} << 2.0;
        QTest::newRow("under a degree lost") << QList<double>{0.9, 0.9, 0.9} << 0.0;
        QTest::newRow("steep ignored") << QList<double>{46, -50, 60, -1.5} << -1.0;
        QTest::newRow("none") << QList<double>{} << 0.0;
    }
    void deskewAngleRules()
    {
        QFETCH(QList<double>, tilts);
        QFETCH(double, angle);
        std::vector<cv::Vec2f> lines;
        for (double t : tilts)
            lines.push_back(lineWithTilt(t));
        QCOMPARE(ImageHelper::deskewAngle(lines), angle);
    }
};

QTEST_GUILESS_MAIN(TstRotation)
#include "tst_Rotation.moc"
