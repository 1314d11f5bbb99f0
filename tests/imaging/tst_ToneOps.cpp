#include "PageTestFiles.h"
#include "ToneOps.h"

#include <QtTest>
#include <opencv2/imgproc.hpp>

using Pixel = cv::Vec3b; // blue, green, red
Q_DECLARE_METATYPE(Pixel)
using PageTestFiles::same;

// A light page with dark text lines, a red and a blue seal.
static cv::Mat drawnPage()
{
    cv::Mat page(300, 400, CV_8UC3, cv::Scalar(232, 236, 240));
    for (int y : {30, 55, 80, 255, 280}) // text clear of the seals
        cv::putText(page, "Archive 1957 No. 42", {20, y}, cv::FONT_HERSHEY_SIMPLEX, 0.6,
                    cv::Scalar(40, 40, 40), 2);
    cv::circle(page, {100, 150}, 40, cv::Scalar(60, 50, 210), cv::FILLED); // red seal
    cv::circle(page, {300, 150}, 40, cv::Scalar(215, 70, 40), cv::FILLED); // blue seal
    return page;
}

class ToneOpsTest : public QObject
{
    Q_OBJECT
private slots:
    void pixelRules_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<Pixel>("in");
        QTest::addColumn<Pixel>("out");
        QTest::newRow("bg 219 kept")
            << "background" << Pixel(219, 255, 255) << Pixel(219, 255, 255);
        QTest::newRow("bg 220 painted")
            << "background" << Pixel(220, 220, 220) << Pixel(10, 20, 30);
        QTest::newRow("red seal") << "red" << Pixel(120, 127, 200) << Pixel(0, 0, 255);
        QTest::newRow("red green 128") << "red" << Pixel(120, 128, 200) << Pixel(120, 128, 200);
        QTest::newRow("red 199") << "red" << Pixel(0, 0, 199) << Pixel(0, 0, 199);
        QTest::newRow("blue seal") << "blue" << Pixel(200, 127, 120) << Pixel(255, 0, 0);
        QTest::newRow("blue on red seal") << "blue" << Pixel(120, 127, 200) << Pixel(120, 127, 200);
        QTest::newRow("contrast 1.1") << "contrast" << Pixel(0, 100, 240) << Pixel(0, 110, 255);
        // S 200 x 0.778 = 155.6 is rounded to 156 (truncated, 155 would give 100, 100, 255).
        QTest::newRow("colour") << "colour" << Pixel(55, 55, 255) << Pixel(99, 99, 255);
    }
    void pixelRules()
    {
        QFETCH(QString, op);
        QFETCH(Pixel, in);
        QFETCH(Pixel, out);
        const cv::Mat m(3, 3, CV_8UC3, cv::Scalar(in[0], in[1], in[2]));
        const QRect all(0, 0, 3, 3);
        const cv::Mat r = op == "background" ? ImageHelper::clearBackground(m, QColor(30, 20, 10))
                          : op == "red"      ? ImageHelper::redSealDeep(m, all)
                          : op == "blue"     ? ImageHelper::blueSealDeep(m, all)
                          : op == "colour"   ? ImageHelper::adjustColour(m, 1.f, 0, 0.778f)
                                             : ImageHelper::adjustContrast(m, 1.1f, 0);
        QVERIFY(same(r, cv::Mat(3, 3, CV_8UC3, cv::Scalar(out[0], out[1], out[2]))));
        if (op == "red")
            QVERIFY(same(ImageHelper::redSealDeep(m), r));
    }

    void blueSealInRectangleOnly()
    {
        // Only the left half of the blue seal lies in the rectangle.
        const cv::Mat page = drawnPage();
        const cv::Mat blue = ImageHelper::blueSealDeep(page, QRect(250, 100, 50, 100));
        QCOMPARE(blue.at<Pixel>(150, 280), Pixel(255, 0, 0));
        QVERIFY(same(blue.colRange(300, 400), page.colRange(300, 400)));
        QVERIFY(same(blue.colRange(0, 250), page.colRange(0, 250)));
    }

    void binarizeTwice()
    {
        const cv::Mat bw = ImageHelper::binarize(drawnPage());
        QCOMPARE(bw.type(), CV_8UC1);
        QVERIFY(bw.at<uchar>(5, 5) > 200);
        QCOMPARE(ImageHelper::binarize(bw).data, bw.data);
    }

    void colourAdjustment()
    {
        const cv::Mat page = drawnPage();
        const cv::Mat brighter = ImageHelper::adjustColour(page, 1.f, 10, 1.f);
        QCOMPARE(brighter.at<Pixel>(150, 100), Pixel(70, 60, 220));
        ImageHelper::adjustColour(page, 1.2f, -5, 0.5f);
        QVERIFY(same(page, drawnPage())); // the input is not written into
        QVERIFY(same(ImageHelper::adjustColour(page, 1.f, 0, 1.f), page));
        std::vector<cv::Mat> p;
        cv::split(ImageHelper::adjustSaturation(page, 0.f), p);
        QVERIFY(cv::norm(p[0], p[2], cv::NORM_INF) <= 1);
    }

    void strokesThickenAndThin()
    {
        cv::Mat page(40, 40, CV_8UC1, cv::Scalar(255));
        page.rowRange(10, 12).setTo(0);
        QCOMPARE(cv::countNonZero(ImageHelper::contentDeep(page) == 0), 3 * 40);
        QCOMPARE(cv::countNonZero(ImageHelper::contentLight(page) == 0), 40);
    }
};

QTEST_APPLESS_MAIN(ToneOpsTest)
#include "tst_ToneOps.moc"
