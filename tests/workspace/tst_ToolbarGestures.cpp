#include "AppPaths.h"
#include "GestureController.h"
#include "ImageToolbar.h"
#include "OperationDispatcher.h"
#include "WorkspaceTestSupport.h"

#include <QAction>
#include <QGraphicsRectItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QVBoxLayout>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kDpi = 300;
const QSize kPage(400, 300);

// A white page with a black bar, a red and a blue seal-like patch.
cv::Mat samplePage()
{
    cv::Mat page(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(245, 245, 245));
    cv::rectangle(page, cv::Rect(40, 40, 100, 20), cv::Scalar(0, 0, 0), cv::FILLED);
    cv::circle(page, cv::Point(280, 180), 30, cv::Scalar(90, 90, 210), cv::FILLED);
    cv::circle(page, cv::Point(100, 220), 30, cv::Scalar(210, 110, 90), cv::FILLED);
    return page;
}

// An entry is an action or a button.
void trigger(QObject* entry)
{
    QVERIFY(QMetaObject::invokeMethod(entry, qobject_cast<QAction*>(entry) ? "trigger" : "click"));
}

QList<QGraphicsItem*> roiItems(const PageScene& scene)
{
    QList<QGraphicsItem*> found;
    for (QGraphicsItem* item : scene.items())
        if (item->data(0).toString() == QStringLiteral("roiImage"))
            found << item;
    return found;
}

} // namespace

class TestToolbarGestures : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    cv::Mat m_original;
    std::unique_ptr<EditBench> b;
    std::unique_ptr<GestureController> m_gestures;
    std::unique_ptr<QWidget> m_host;
    ImageToolbar* m_toolbar = nullptr;

    cv::Mat engine(int id, const QVariant& value = QVariant()) const
    {
        OperationContext ctx = OperationContext::fromProcess(kDpi, kDpi);
        ctx.clipboard = b->clipboard;
        return OperationDispatcher::apply(id, m_original, value, ctx);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        AppPaths::setBaseDirForTesting(m_dir.path());
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("卷 1")));
    }

    void init()
    {
        b = std::make_unique<EditBench>(m_dir.filePath(QStringLiteral("卷 1/页 0001.png")),
                                        samplePage(), kDpi);
        QVERIFY(b->open());
        m_original = b->image.image().clone();
        m_gestures = std::make_unique<GestureController>(b->image, b->scene, b->clipboard);
        connect(m_gestures.get(), &GestureController::executeRequested, this,
                [this](int id, bool run, const QVariant& param) { b->execute(id, run, param); });

        m_host = std::make_unique<QWidget>();
        m_toolbar = new ImageToolbar({}, m_host.get());
        m_toolbar->toolBar()->setEnabled(true);
        connect(m_toolbar, &ImageToolbar::operationTriggered, this,
                [this](int id) { b->execute(id, true, QVariant()); });
        connect(m_toolbar, &ImageToolbar::rectangleModeToggled, m_gestures.get(),
                &GestureController::onRectangleModeToggled);
        connect(m_toolbar, &ImageToolbar::gestureArmed, m_gestures.get(), &GestureController::arm);
    }

    void cleanup()
    {
        m_host.reset();
        m_gestures.reset();
        b.reset();
    }

    void entryRunsTheEngineOnceWithOneUndoStep_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("engineId");
        QTest::newRow("action in a drop-down") << "向左旋转" << 1;
        QTest::newRow("auto correct dispatches 16") << "自动校正" << 16;
        QTest::newRow("content deep") << "内容加深" << 100;
    }
    void entryRunsTheEngineOnceWithOneUndoStep()
    {
        QFETCH(QString, label);
        QFETCH(int, engineId);
        QObject* entry = m_toolbar->entry(label);
        QVERIFY(entry);
        trigger(entry);
        QVERIFY(same(b->image.image(), engine(engineId)));
        QCOMPARE(b->undoSteps(), 1);
    }

    void rectangleGestureRunsTheCheckedMode_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("armedByMenu");
        QTest::newRow("crop") << "图像裁剪" << 53 << false;
        QTest::newRow("red seal") << "红章加深" << 36 << true;
    }
    void rectangleGestureRunsTheCheckedMode()
    {
        QFETCH(QString, label);
        QFETCH(int, id);
        QFETCH(bool, armedByMenu);
        trigger(m_toolbar->entry(label));
        QCOMPARE(m_gestures->drawMode(), 1);
        QCOMPARE(m_gestures->lastOperation(), id);
        // Scene (30, 60)-(170, 130) at half size is the image's (60, 120) 280 x 140.
        m_gestures->onRoiFinished(QPoint(30, 60), QPoint(170, 130));
        QVERIFY(same(b->image.image(), engine(id, QRect(60, 120, 280, 140))));
        QVERIFY(!same(b->image.image(), m_original));
        QCOMPARE(b->undoSteps(), 1);
        // A checked mode stays armed; a seal gesture falls back to no mode.
        QCOMPARE(m_gestures->lastOperation(), armedByMenu ? 0 : id);
    }

    void checkingOneRectangleModeReleasesTheOtherAndUncheckingDisarms()
    {
        QAction* inside = m_toolbar->rectangleAction(26);
        QAction* crop = m_toolbar->rectangleAction(53);
        inside->setChecked(true);
        crop->setChecked(true);
        QVERIFY(!inside->isChecked());
        QCOMPARE(m_gestures->lastOperation(), 53);
        crop->setChecked(false);
        QCOMPARE(m_gestures->drawMode(), 0);
        QCOMPARE(m_gestures->lastOperation(), 0);
        m_gestures->onRoiFinished(QPoint(0, 0), QPoint(20, 20));
        QCOMPARE(b->undoSteps(), 0);
    }

    void lineDrawnRightToLeftTurnsByNearlyHalfATurn()
    {
        QSignalSpy requests(m_gestures.get(), &GestureController::executeRequested);
        trigger(m_toolbar->entry(QStringLiteral("拉线纠斜")));
        m_gestures->onRoiFinished(QPoint(180, 50), QPoint(20, 53));
        const QVariantList run = requests.last();
        QCOMPARE(run.at(0).toInt(), 12);
        const double angle = run.at(2).toDouble();
        QVERIFY2(angle > 178 && angle < 180, qPrintable(QString::number(angle)));
        QVERIFY(same(b->image.image(), engine(12, angle)));
        QCOMPARE(b->undoSteps(), 1);
    }

    void pasteCancelledOrPlaced()
    {
        m_gestures->startRegionCopy();
        m_gestures->onRoiFinished(QPoint(20, 20), QPoint(70, 30)); // the black bar
        m_gestures->confirm();
        QCOMPARE(b->undoSteps(), 1); // copied back onto itself
        QVERIFY(same(b->image.image(), m_original));

        m_gestures->startPaste();
        QCOMPARE(roiItems(b->scene).size(), 1);
        m_gestures->cancel();
        QVERIFY(!m_gestures->pasting());
        QCOMPARE(roiItems(b->scene).size(), 0);
        QVERIFY(same(b->image.image(), m_original));
        QCOMPARE(b->undoSteps(), 1);

        m_gestures->startPaste();
        QCOMPARE(roiItems(b->scene).size(), 1);
        roiItems(b->scene).first()->setPos(100, 100); // display pixels: the image's (200, 200)
        m_gestures->confirm();
        QCOMPARE(b->undoSteps(), 2);
        const cv::Mat region = b->image.image()(cv::Rect(200, 200, 100, 20));
        QVERIFY(same(region, m_original(cv::Rect(40, 40, 100, 20))));
    }

    void fourPointsOnAnExactRectangleOnlyCrop()
    {
        QSignalSpy markers(m_gestures.get(), &GestureController::markersVisibleChanged);
        m_gestures->startFourPoint();
        const QPoint corners[4] = {{20, 10}, {120, 10}, {120, 60}, {20, 60}};
        for (int i = 0; i < 4; ++i)
            b->scene.marker(i)->setPos(corners[i]);
        m_gestures->confirm();
        QCOMPARE(markers.last().at(0).toBool(), false);
        const cv::Mat& now = b->image.image();
        QCOMPARE(QSize(now.cols, now.rows), QSize(200, 100));
        QVERIFY(cv::norm(now, m_original(cv::Rect(40, 20, 200, 100)), cv::NORM_INF) <= 1);
        QCOMPARE(b->undoSteps(), 1);
    }

    void gesturesWithoutAPageDoNothing()
    {
        b->image.close();
        QSignalSpy requests(m_gestures.get(), &GestureController::executeRequested);
        m_toolbar->rectangleAction(53)->setChecked(true);
        m_gestures->onRoiFinished(QPoint(0, 0), QPoint(50, 50));
        m_gestures->startFourPoint();
        m_gestures->startPaste();
        m_gestures->confirm();
        QCOMPARE(requests.count(), 0);
        QVERIFY(!m_gestures->twoStepActive());
        QVERIFY(!m_gestures->pageNumberValue().isValid());
    }

    void keysAreBoundByLabel()
    {
        const QMap<QString, QString> keys = {
            {"自动校正", "Ctrl+K"}, {"去背景色", "Ctrl+J"}, {"撤销", "Ctrl+Z"}, {"图像裁剪", "D"}};
        QWidget host;
        ImageToolbar toolbar(keys, &host);
        QCOMPARE(toolbar.rectangleAction(53)->shortcut(), QKeySequence(QStringLiteral("D")));

        // The shared number does not mix the two up: each key runs its own operation.
        (new QVBoxLayout(&host))->addWidget(toolbar.toolBar());
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        QSignalSpy runs(&toolbar, &ImageToolbar::operationTriggered);
        QTest::keyClick(&host, Qt::Key_K, Qt::ControlModifier);
        QTest::keyClick(&host, Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(runs.count(), 2);
        QCOMPARE(runs.at(0).at(0).toInt(), 16);
        QCOMPARE(runs.at(1).at(0).toInt(), 21);
    }
};

QTEST_MAIN(TestToolbarGestures)
#include "tst_ToolbarGestures.moc"
