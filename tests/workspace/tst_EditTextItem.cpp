#include "EditTextItem.h"
#include "ViewTestSupport.h"

#include <QSignalSpy>

// Editing the page-number text on a shown, active view: the right-button
// press must come through the window so the application knows the button
// is down, as it does for a real mouse.
class tst_EditTextItem : public QObject
{
    Q_OBJECT
private slots:
    void editEnds_data();
    void editEnds();
};

void tst_EditTextItem::editEnds_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("expected");
    QTest::newRow("return keeps") << QStringLiteral("return") << QStringLiteral("58");
    QTest::newRow("enter keeps") << QStringLiteral("enter") << QStringLiteral("58");
    QTest::newRow("left click elsewhere keeps") << QStringLiteral("left") << QStringLiteral("58");
    QTest::newRow("right click elsewhere restores")
        << QStringLiteral("right") << QStringLiteral("0007");
}

void tst_EditTextItem::editEnds()
{
    QFETCH(QString, ending);

    ViewFixture f;
    QApplication::setActiveWindow(&f.view);
    QVERIFY(QTest::qWaitForWindowActive(&f.view));
    EditTextItem* item = f.scene.pageNoItem();
    item->setPlainText(QStringLiteral("0007"));
    item->setPos(100, 100);
    item->show();
    QSignalSpy status(item, &EditTextItem::EditStatus);

    const QPointF onItem = item->mapToScene(item->boundingRect().center());
    f.send(QEvent::MouseButtonPress, onItem, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, onItem, Qt::LeftButton, Qt::NoButton);
    f.send(QEvent::MouseButtonDblClick, onItem, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, onItem, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(status.count(), 1);
    QCOMPARE(item->textInteractionFlags(), Qt::TextEditorInteraction);
    QVERIFY(item->hasFocus());

    // The double-click selected the word, so typing replaces it.
    QTest::keyClicks(&f.view, QStringLiteral("58"));
    QCOMPARE(item->toPlainText(), QStringLiteral("58"));

    const QPointF elsewhere(350, 250);
    if (ending == QLatin1String("return")) {
        QTest::keyClick(&f.view, Qt::Key_Return);
    } else if (ending == QLatin1String("enter")) {
        QTest::keyClick(&f.view, Qt::Key_Enter, Qt::KeypadModifier);
    } else if (ending == QLatin1String("left")) {
        f.send(QEvent::MouseButtonPress, elsewhere, Qt::LeftButton, Qt::LeftButton);
        f.send(QEvent::MouseButtonRelease, elsewhere, Qt::LeftButton, Qt::NoButton);
    } else {
        const QPoint inWindow = f.view.viewport()->mapTo(&f.view, f.toView(elsewhere));
        QTest::mousePress(f.view.windowHandle(), Qt::RightButton, {}, inWindow);
        QTest::mouseRelease(f.view.windowHandle(), Qt::RightButton, {}, inWindow);
    }

    QTEST(item->toPlainText(), "expected");
    QCOMPARE(status.count(), 2);
    QCOMPARE(status.at(0).at(0).toBool(), true);
    QCOMPARE(status.at(1).at(0).toBool(), false);
    QCOMPARE(item->textInteractionFlags(), Qt::NoTextInteraction);
    QVERIFY(!item->hasFocus());
}

QTEST_MAIN(tst_EditTextItem)
#include "tst_EditTextItem.moc"
