#include "PageDisplay.h"
#include "PageFile.h"
#include "PagePrefetcher.h"
#include "TitleBarDrag.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// The pieces the main window wires: title-bar dragging, the page display and the prefetcher.
class WindowPartsTest : public QObject
{
    Q_OBJECT
private slots:
    void dragMovesOnlyFromTheTitleBar()
    {
        // Window at (100, 50), title bar (0, 0, 800, 50) in window coordinates.
        const QPoint topLeft(100, 50);
        const QRect bar(0, 0, 800, 50);
        TitleBarDrag drag;
        QVERIFY(!drag.press(QPoint(300, 120), topLeft, bar));
        // Passing over the bar later never starts a drag that the press did not start.
        QCOMPARE(drag.move(QPoint(315, 65), false), QPoint());
        QVERIFY(drag.press(QPoint(300, 70), topLeft, bar));
        QCOMPARE(drag.move(QPoint(315, 65), true), QPoint()); // a maximised window stays
        QCOMPARE(drag.move(QPoint(315, 65), false), QPoint(15, -5));
        QCOMPARE(drag.move(QPoint(316, 65), false), QPoint(1, 0));
        drag.release();
        QCOMPARE(drag.move(QPoint(340, 65), false), QPoint());
    }

    void displaySize()
    {
        const cv::Mat a4(3508, 2480, CV_8UC3, cv::Scalar(10, 120, 250));
        const QSize full(2480, 3508);
        stDisplayScale scale;
        const QImage fitted = PageDisplay::scaled(
            a4, PageDisplay::targetSize(full, QSize(860, 800), false, 1.0), &scale);
        QCOMPARE(fitted.size(), QSize(523, 740));
        QCOMPARE(scale.zoom, qMin(scale.ratioX, scale.ratioY));
        // Blue, green, red order in, the same colour on screen.
        QCOMPARE(fitted.pixelColor(0, 0), QColor(250, 120, 10));
        QCOMPARE(PageDisplay::targetSize(full, QSize(860, 800), true, 0.5), QSize(1240, 1754));
        // A viewport smaller than the border still shows a pixel.
        const QSize tiny = PageDisplay::targetSize(QSize(200, 100), QSize(30, 30), false, 1.0);
        QCOMPARE(PageDisplay::scaled(cv::Mat(100, 200, CV_8UC3), tiny, &scale).size(), QSize(1, 1));
    }

    void prefetchedPageFollowsTheDisk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("页 1.png"));
        const auto write = [&path](int width) {
            return PageFile::saveWithDensity(cv::Mat(20, width, CV_8UC3), path, 300, 300);
        };
        QVERIFY(write(30));
        PagePrefetcher prefetch;
        prefetch.prefetch(path);
        QCOMPARE(prefetch.load(path).cols, 30);

        // Rewritten after the decode began: the new content is read, not the old one.
        prefetch.prefetch(path);
        QThread::msleep(20);
        QVERIFY(write(40));
        QCOMPARE(prefetch.load(path).cols, 40);

        QVERIFY(QFile::remove(path));
        prefetch.prefetch(path);
        QVERIFY(!prefetch.holds(path));
        QVERIFY(prefetch.load(path).empty());
    }
};

QTEST_MAIN(WindowPartsTest)
#include "tst_WindowParts.moc"
