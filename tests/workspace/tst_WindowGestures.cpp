#include "AppPaths.h"
#include "EditTextItem.h"
#include "ImageToolbar.h"
#include "ToolbarCommands.h"
#include "WorkspaceTestSupport.h"

#include <QAction>
#include <QGraphicsPixmapItem>
#include <QTemporaryDir>

namespace {

const QSize kPage(400, 300);

// Every pixel differs from its neighbours, so a crop shows where it was taken.
cv::Mat gradientPage()
{
    cv::Mat page(kPage.height(), kPage.width(), CV_8UC3);
    for (int y = 0; y < page.rows; ++y)
        for (int x = 0; x < page.cols; ++x)
            page.at<cv::Vec3b>(y, x) = cv::Vec3b(x % 256, y % 256, (x + y) % 256);
    return page;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Gestures on the view of the real main window, in the save mode that writes
// every edit at once, driven by mouse events through the window.
class TestWindowGestures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
    QString m_file;

    GraphicsView& view() const { return *m_window->view(); }

    // Real mouse input through the window, so the view gets what a hand gives it.
    void mouse(QTest::MouseAction action, const QPointF& scenePos)
    {
        const QPoint at = view().viewport()->mapTo(m_window.get(), view().mapFromScene(scenePos));
        QTest::mouseEvent(action, m_window->windowHandle(), Qt::LeftButton, {}, at);
    }
    void dragBy(const QPointF& from, const QPointF& to)
    {
        mouse(QTest::MousePress, from);
        mouse(QTest::MouseMove, (from + to) / 2);
        mouse(QTest::MouseMove, to);
        mouse(QTest::MouseRelease, to);
    }
    void arm(const QString& label)
    {
        QObject* entry = m_window->toolbarCommands()->toolbar()->entry(label);
        QVERIFY(entry);
        qobject_cast<QAction*>(entry)->trigger();
        QVERIFY(view().drawMode() != GraphicsView::DrawNone);
    }
    void showAtZoom(double zoom)
    {
        view().setZoomFactor(zoom);
        m_window->displayImage(true);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        AppPaths::setBaseDirForTesting(m_base.path());
    }

    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_data->path()).mkdir(QStringLiteral("卷 一")));
        m_file = m_data->filePath(QStringLiteral("卷 一/0001.png"));
        QVERIFY(PageFile::saveWithDensity(gradientPage(), m_file, 300, 300));
        m_window = openMainWindow(m_data->path(), CurrentImage::FullyAutomatic, m_file);
        QCOMPARE(m_window->currentFile(), m_file);
        showAtZoom(1.0);
    }

    void cleanup() { m_window.reset(); }

    void strayPressesRunNothing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("dragPageNumber");
        for (const char* mode : {"图像裁剪", "拉线纠斜"}) {
            const QString label = QString::fromUtf8(mode);
            QTest::newRow(qPrintable(label + " click")) << label << false;
            QTest::newRow(qPrintable(label + " page number drag")) << label << true;
        }
    }

    void strayPressesRunNothing()
    {
        QFETCH(QString, mode);
        QFETCH(bool, dragPageNumber);
        const cv::Mat before = m_window->currentImage().image().clone();
        const QByteArray onDisk = bytesOf(m_file);
        arm(mode);

        if (dragPageNumber) {
            EditTextItem* item = m_window->scene()->pageNoItem();
            item->setPos(120, 100);
            item->show();
            const QPointF grip = item->mapToScene(item->boundingRect().center());
            dragBy(grip, grip + QPointF(80, 50));
        } else {
            mouse(QTest::MouseClick, QPointF(150, 120));
        }

        QVERIFY(same(m_window->currentImage().image(), before));
        QVERIFY(!m_window->currentImage().canUndo());
        QCOMPARE(bytesOf(m_file), onDisk);
        // The item followed the mouse, so the press really reached it.
        if (dragPageNumber)
            QCOMPARE(m_window->scene()->pageNoItem()->pos().toPoint(), QPoint(200, 150));
    }

    void cropTakesTheDraggedSize_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QLine>("drag");
        QTest::addColumn<QRect>("expected"); // full-image pixels
        QTest::addColumn<QString>("mode");
        const QString crop = QStringLiteral("图像裁剪");
        QTest::newRow("half size")
            << 0.5 << QLine(30, 40, 130, 100) << QRect(60, 80, 200, 120) << crop;
        // 10 / 0.75 and 110 / 0.75 truncate to 13 and 146; 70 / 0.75 to 93.
        QTest::newRow("three quarters, dragged up and left")
            << 0.75 << QLine(110, 70, 10, 10) << QRect(13, 13, 133, 80) << crop;
        // Clearing outside keeps exactly the dragged area, not a row and column more.
        QTest::newRow("clear outside, half size")
            << 0.5 << QLine(30, 40, 130, 100) << QRect(60, 80, 200, 120)
            << QStringLiteral("去除框外");
    }

    void cropTakesTheDraggedSize()
    {
        QFETCH(double, zoom);
        QFETCH(QLine, drag);
        QFETCH(QRect, expected);
        QFETCH(QString, mode);
        showAtZoom(zoom);
        QCOMPARE(m_window->scene()->imageItem()->pixmap().size(), kPage * zoom);
        arm(mode);

        dragBy(drag.p1(), drag.p2());

        const cv::Mat& now = m_window->currentImage().image();
        const cv::Rect area(expected.x(), expected.y(), expected.width(), expected.height());
        if (mode != QStringLiteral("图像裁剪")) {
            QCOMPARE(QSize(now.cols, now.rows), kPage);
            QVERIFY(same(now(area), gradientPage()(area)));
            const cv::Vec3b white(255, 255, 255);
            QCOMPARE(now.at<cv::Vec3b>(area.y, area.x + area.width), white);
            QCOMPARE(now.at<cv::Vec3b>(area.y + area.height, area.x), white);
            return;
        }
        QCOMPARE(QSize(now.cols, now.rows), expected.size());
        QVERIFY(same(now, gradientPage()(area)));
        QCOMPARE(sizeOnDisk(m_file), expected.size());
    }
};

QTEST_MAIN(TestWindowGestures)
#include "tst_WindowGestures.moc"
