#include "EditTextItem.h"
#include "WorkspaceTestSupport.h"

#include <QSignalSpy>
#include <QWheelEvent>

static void sendWheel(GraphicsView& view, int delta, Qt::KeyboardModifiers modifiers)
{
    const QPointF pos = view.viewport()->rect().center();
    QWheelEvent event(pos, view.viewport()->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &event);
}

class tst_GraphicsView : public QObject
{
    Q_OBJECT
private slots:
    void gestureReports_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QLine>("gesture");
        // A rectangle is reported by its top-left and the corner past its last
        // pixel; null: nothing reported.
        QTest::addColumn<QLine>("expected");
        const QLine inside(50, 40, 250, 200);
        QTest::newRow("reversed") << 1 << QLine(250, 200, 50, 40) << inside;
        QTest::newRow("starts left of page")
            << 1 << QLine(-30, 40, 250, 200) << QLine(0, 40, 250, 200);
        QTest::newRow("past bottom-right")
            << 1 << QLine(450, 350, 300, 200) << QLine(300, 200, 400, 300);
        QTest::newRow("beyond right edge") << 1 << QLine(420, 40, 500, 100) << QLine();
        QTest::newRow("no height") << 1 << QLine(50, 80, 250, 80) << QLine();
        QTest::newRow("line keeps direction")
            << 3 << QLine(250, 200, 50, 40) << QLine(250, 200, 50, 40);
        QTest::newRow("disarmed") << 0 << QLine(50, 40, 250, 200) << QLine();
    }

    void gestureReports()
    {
        QFETCH(int, mode);
        QFETCH(QLine, gesture);
        QFETCH(QLine, expected);
        ViewFixture f;
        f.view.setDrawMode(mode);
        QSignalSpy roi(&f.view, &GraphicsView::roiFinished);
        QSignalSpy clicked(&f.view, &GraphicsView::mouseClicked);
        drag(f.view, gesture.p1(), gesture.p2());

        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toPoint(), gesture.p1());
        QCOMPARE(roi.count(), expected.isNull() ? 0 : 1);
        if (!expected.isNull())
            QCOMPARE(QLine(roi.at(0).at(0).toPoint(), roi.at(0).at(1).toPoint()), expected);
        // The view never disarms itself; the toolbar decides what comes next.
        QCOMPARE(f.view.drawMode(), mode);
        QVERIFY(!f.scene.mouseGrabberItem());
    }

    void markersStayOnPage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("out to the lower left")
            << 3 << QPoint(0, 300) << QPoint(-60, 360) << QPoint(0, 300);
        // Grabbed by its outer half: the gesture itself lies beyond the right edge.
        QTest::newRow("grabbed outside the page")
            << 2 << QPoint(430, 290) << QPoint(470, 250) << QPoint(400, 260);
    }

    void markersStayOnPage()
    {
        QFETCH(int, index);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        ViewFixture f;
        f.view.setDrawMode(GraphicsView::DrawRect);
        f.scene.placeMarkersAtCorners();
        f.view.setShowMarkers(true);
        drag(f.view, from, to);
        QTEST(f.scene.marker(index)->pos().toPoint(), "expected");
        // The release reached the scene, so the marker does not follow the next press.
        QVERIFY(!f.scene.mouseGrabberItem());
    }

    void zoomStepsStopAtBounds_data()
    {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("steps");
        QTest::addColumn<double>("bound");
        QTest::newRow("in") << 120 << 31 << 2.55;
        QTest::newRow("out") << -120 << 18 << 0.1;
    }

    // Ctrl+wheel zooms by steps; a plain wheel scrolls and leaves the zoom.
    void zoomStepsStopAtBounds()
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
        sendWheel(f.view, -delta, Qt::NoModifier);
        QVERIFY(f.view.zoomFactor() == atBound);
    }

    void pageNoEditEnds_data()
    {
        QTest::addColumn<bool>("rightClick");
        QTest::addColumn<QString>("expected");
        QTest::newRow("return keeps") << false << QStringLiteral("58");
        QTest::newRow("right click elsewhere restores") << true << QStringLiteral("0007");
    }

    // The right-button press comes through the window so the application knows
    // the button is down, as it does for a real mouse.
    void pageNoEditEnds()
    {
        QFETCH(bool, rightClick);
        ViewFixture f;
        QApplication::setActiveWindow(&f.view);
        QVERIFY(QTest::qWaitForWindowActive(&f.view));
        EditTextItem* item = f.scene.pageNoItem();
        item->setPlainText(QStringLiteral("0007"));
        item->setPos(100, 100);
        item->show();
        QSignalSpy status(item, &EditTextItem::EditStatus);

        const QPointF onItem = item->mapToScene(item->boundingRect().center());
        sendMouse(f.view, QEvent::MouseButtonPress, onItem, Qt::LeftButton, Qt::LeftButton);
        sendMouse(f.view, QEvent::MouseButtonRelease, onItem, Qt::LeftButton, Qt::NoButton);
        sendMouse(f.view, QEvent::MouseButtonDblClick, onItem, Qt::LeftButton, Qt::LeftButton);
        sendMouse(f.view, QEvent::MouseButtonRelease, onItem, Qt::LeftButton, Qt::NoButton);
        QVERIFY(item->hasFocus());
        // The double-click selected the word, so typing replaces it.
        QTest::keyClicks(&f.view, QStringLiteral("58"));
        QCOMPARE(item->toPlainText(), QStringLiteral("58"));

        if (rightClick) {
            const QPoint at = f.view.viewport()->mapTo(&f.view, f.view.mapFromScene(350, 250));
            QTest::mousePress(f.view.windowHandle(), Qt::RightButton, {}, at);
            QTest::mouseRelease(f.view.windowHandle(), Qt::RightButton, {}, at);
        } else {
            QTest::keyClick(&f.view, Qt::Key_Return);
        }
        QTEST(item->toPlainText(), "expected");
        QCOMPARE(status.count(), 2);
        QVERIFY(status.at(0).at(0).toBool() && !status.at(1).at(0).toBool());
        QCOMPARE(item->textInteractionFlags(), Qt::NoTextInteraction);
    }
};

QTEST_MAIN(tst_GraphicsView)
#include "tst_GraphicsView.moc"
