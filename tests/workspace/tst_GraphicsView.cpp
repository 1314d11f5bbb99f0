#include "ViewTestSupport.h"

#include <QGraphicsRectItem>
#include <QSignalSpy>
#include <QWheelEvent>

class tst_GraphicsView : public QObject
{
    Q_OBJECT
private slots:
    void gestureReports_data();
    void gestureReports();
    void markersStayOnPage_data();
    void markersStayOnPage();
    void zoomStepsStopAtBounds_data();
    void zoomStepsStopAtBounds();
    void wheelModifiers_data();
    void wheelModifiers();
    void showImageFitsOrKeepsScale();
};

void tst_GraphicsView::gestureReports_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("second");

    const QRect inside(50, 40, 200, 160);
    QTest::newRow("forward") << 1 << QPoint(50, 40) << QPoint(250, 200) << true << inside.topLeft()
                             << inside.bottomRight();
    QTest::newRow("reversed") << 1 << QPoint(250, 200) << QPoint(50, 40) << true << inside.topLeft()
                              << inside.bottomRight();
    QTest::newRow("bottom to top") << 1 << QPoint(50, 200) << QPoint(250, 40) << true
                                   << inside.topLeft() << inside.bottomRight();
    const QRect clippedLeft(0, 40, 250, 160);
    QTest::newRow("starts left of page") << 1 << QPoint(-30, 40) << QPoint(250, 200) << true
                                         << clippedLeft.topLeft() << clippedLeft.bottomRight();
    const QRect clippedCorner(300, 200, 100, 100);
    QTest::newRow("past bottom-right") << 1 << QPoint(450, 350) << QPoint(300, 200) << true
                                       << clippedCorner.topLeft() << clippedCorner.bottomRight();
    QTest::newRow("left edge beyond right edge")
        << 1 << QPoint(420, 40) << QPoint(500, 100) << false << QPoint() << QPoint();
    QTest::newRow("top edge beyond bottom edge")
        << 1 << QPoint(50, 310) << QPoint(250, 360) << false << QPoint() << QPoint();
    QTest::newRow("wholly above page")
        << 1 << QPoint(50, -80) << QPoint(250, -20) << false << QPoint() << QPoint();
    QTest::newRow("line keeps direction")
        << 3 << QPoint(250, 200) << QPoint(50, 40) << true << QPoint(250, 200) << QPoint(50, 40);
    QTest::newRow("disarmed") << 0 << QPoint(50, 40) << QPoint(250, 200) << false << QPoint()
                              << QPoint();
    QTest::newRow("ellipse reports nothing")
        << 2 << QPoint(50, 40) << QPoint(250, 200) << false << QPoint() << QPoint();
}

void tst_GraphicsView::gestureReports()
{
    QFETCH(int, mode);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, reported);

    ViewFixture f;
    f.view.setDrawMode(mode);
    QSignalSpy roi(&f.view, &GraphicsView::roiFinished);
    QSignalSpy clicked(&f.view, &GraphicsView::mouseClicked);
    f.drag(from, to);

    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toPoint(), from);
    QCOMPARE(roi.count(), reported ? 1 : 0);
    if (reported) {
        QTEST(roi.at(0).at(0).toPoint(), "first");
        QTEST(roi.at(0).at(1).toPoint(), "second");
    }
    // The view never disarms itself; the toolbar decides what comes next.
    QCOMPARE(f.view.drawMode(), mode);
    QVERIFY(!f.scene.mouseGrabberItem());
}

void tst_GraphicsView::markersStayOnPage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("top-right out to the upper right")
        << 1 << QPoint(400, 0) << QPoint(470, -50) << QPoint(400, 0);
    QTest::newRow("bottom-left out to the lower left")
        << 3 << QPoint(0, 300) << QPoint(-60, 360) << QPoint(0, 300);
    QTest::newRow("top-left moved inside")
        << 0 << QPoint(0, 0) << QPoint(100, 80) << QPoint(100, 80);
    // Grabbed by its outer half: the gesture itself lies beyond the right edge.
    QTest::newRow("bottom-right grabbed outside the page")
        << 2 << QPoint(430, 290) << QPoint(470, 250) << QPoint(400, 260);
}

void tst_GraphicsView::markersStayOnPage()
{
    QFETCH(int, index);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);

    ViewFixture f;
    f.view.setDrawMode(GraphicsView::DrawRect);
    f.scene.placeMarkersAtCorners();
    f.view.setShowMarkers(true);
    QVERIFY(f.scene.marker(index)->isVisible());
    f.drag(from, to);

    QTEST(f.scene.marker(index)->pos().toPoint(), "expected");
    // The release reached the scene, so the marker does not follow the next press.
    QVERIFY(!f.scene.mouseGrabberItem());
    f.view.setShowMarkers(false);
    QVERIFY(!f.scene.marker(index)->isVisible());
}

static void sendWheel(GraphicsView& view, int delta, Qt::KeyboardModifiers modifiers)
{
    const QPointF pos = view.viewport()->rect().center();
    QWheelEvent event(pos, view.viewport()->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

void tst_GraphicsView::zoomStepsStopAtBounds_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("steps");
    QTest::addColumn<double>("bound");
    QTest::newRow("in") << 120 << 31 << 2.55;
    QTest::newRow("out") << -120 << 18 << 0.1;
}

void tst_GraphicsView::zoomStepsStopAtBounds()
{
    QFETCH(int, delta);
    QFETCH(int, steps);
    QFETCH(double, bound);

    ViewFixture f;
    connect(&f.view, &GraphicsView::wheelModified, &f.view, &GraphicsView::applyZoomStep);
    f.view.setZoomFactor(1.0);
    double before = 0;
    for (int i = 0; i < steps; ++i) {
        before = f.view.zoomFactor();
        sendWheel(f.view, delta, Qt::ControlModifier);
    }
    const double atBound = f.view.zoomFactor();
    QVERIFY(atBound != before);
    QVERIFY(qAbs(atBound - bound) < 1e-9);
    sendWheel(f.view, delta, Qt::ControlModifier);
    QVERIFY(f.view.zoomFactor() == atBound);
}

void tst_GraphicsView::wheelModifiers_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("emitted");
    QTest::newRow("none") << int(Qt::NoModifier) << false;
    QTest::newRow("ctrl") << int(Qt::ControlModifier) << true;
    QTest::newRow("alt") << int(Qt::AltModifier) << true;
    QTest::newRow("ctrl+shift") << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
}

void tst_GraphicsView::wheelModifiers()
{
    QFETCH(int, modifiers);
    QFETCH(bool, emitted);
    ViewFixture f;
    QSignalSpy spy(&f.view, &GraphicsView::wheelModified);
    sendWheel(f.view, -120, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(spy.count(), emitted ? 1 : 0);
    if (emitted) {
        QCOMPARE(spy.at(0).at(0).toInt(), -120);
    }
}

void tst_GraphicsView::showImageFitsOrKeepsScale()
{
    ViewFixture f;
    QImage full(800, 600, QImage::Format_RGB32);
    full.fill(Qt::gray);
    const QSize room = f.view.viewport()->size() - QSize(60, 60);

    const stDisplayScale fitted = f.view.showImage(full, false);
    const QSize shown = full.size().scaled(room, Qt::KeepAspectRatio);
    QCOMPARE(f.scene.sceneRect(), QRectF(QPointF(0, 0), QSizeF(shown)));
    QCOMPARE(fitted.zoom, qMin(fitted.ratioX, fitted.ratioY));
    QCOMPARE(fitted.ratioX, shown.width() / 800.0);

    f.view.setZoomFactor(0.5);
    const stDisplayScale kept = f.view.showImage(full, true);
    QCOMPARE(f.scene.sceneRect(), QRectF(0, 0, 400, 300));
    QCOMPARE(kept.zoom, 0.5);

    // A view too small for the border still shows the page at some scale.
    f.view.resize(40, 40);
    QVERIFY(f.view.showImage(full, false).zoom > 0);
    QVERIFY(!f.scene.imageItem()->pixmap().isNull());

    f.view.showImage(QImage(), false);
    QVERIFY(f.scene.imageItem()->pixmap().isNull());
}

QTEST_MAIN(tst_GraphicsView)
#include "tst_GraphicsView.moc"
