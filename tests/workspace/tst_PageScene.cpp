#include "EditTextItem.h"
#include "PageScene.h"

#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QTest>

// 254 dpi makes 10 mm exactly 100 pixels.
static constexpr int kDpi = 254;

class tst_PageScene : public QObject
{
    Q_OBJECT
private slots:
    void fixedItems();
    void placePageNo_data();
    void placePageNo();
    void pageNoStyleFollowsZoom();
    void marginFrameScalesWithDisplay();
    void markersAndFloatingRegions();

private:
    static void showPage(PageScene& scene, const QSize& size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        scene.setDisplayedImage(image);
    }
};

void tst_PageScene::fixedItems()
{
    PageScene scene;
    scene.addFixedItems(stPageNoInfo());
    scene.addFixedItems(stPageNoInfo());
    QCOMPARE(scene.items().size(), 7); // image, frame, text, four markers; once only
    for (int index = 0; index < 4; ++index) {
        QCOMPARE(scene.marker(index)->data(1).toInt(), index);
    }
}

void tst_PageScene::placePageNo_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("column"); // 0 left, 1 centre, 2 right
    QTest::addColumn<bool>("bottom");
    QTest::newRow("左上") << QStringLiteral("左上") << 0 << false;
    QTest::newRow("中上") << QStringLiteral("中上") << 1 << false;
    QTest::newRow("右上") << QStringLiteral("右上") << 2 << false;
    QTest::newRow("左下") << QStringLiteral("左下") << 0 << true;
    QTest::newRow("中下") << QStringLiteral("中下") << 1 << true;
    QTest::newRow("右下") << QStringLiteral("右下") << 2 << true;
}

void tst_PageScene::placePageNo()
{
    QFETCH(QString, area);
    QFETCH(int, column);
    QFETCH(bool, bottom);

    PageScene scene;
    scene.addFixedItems(stPageNoInfo());
    showPage(scene, QSize(400, 300));
    scene.setPageNoText(QStringLiteral("0012"));
    // 20 mm across and 10 mm down at 254 dpi, shown at half size: 100 and 50.
    scene.placePageNo(area, 20, 10, kDpi, kDpi, 0.5);

    const EditTextItem* item = scene.pageNoItem();
    const qreal width = item->boundingRect().width();
    const qreal textHeight = QFontMetricsF(item->font()).height();
    const qreal xs[] = {100, (400 - width) / 2, 400 - width - 100};
    QCOMPARE(item->pos().x(), xs[column]);
    QCOMPARE(item->pos().y(), bottom ? 300 - 50 - textHeight : 50.0);
}

void tst_PageScene::pageNoStyleFollowsZoom()
{
    PageScene scene;
    scene.addFixedItems(stPageNoInfo());
    stPageNoInfo pageNo;
    pageNo.fontSize = 6; // 60 px at 254 dpi
    scene.applyPageNoStyle(pageNo, kDpi, 0.25);
    QCOMPARE(scene.pageNoItem()->font().pixelSize(), 15);
    scene.setPageNoFontProperty(2, 10, kDpi, 0.333);
    QCOMPARE(scene.pageNoItem()->font().pixelSize(), 33);
    // A vanishing zoom keeps a drawable font.
    scene.applyPageNoStyle(pageNo, kDpi, 0.001);
    QCOMPARE(scene.pageNoItem()->font().pixelSize(), 1);
}

void tst_PageScene::marginFrameScalesWithDisplay()
{
    PageScene scene;
    scene.addFixedItems(stPageNoInfo());
    showPage(scene, QSize(400, 300));
    stPageMargins margins;
    margins.top = 10;
    margins.bottom = 5;
    margins.left = 20;
    margins.right = 3; // 29.5 display px: truncated to 29
    stDisplayScale scale;
    scale.ratioX = 0.5;
    scale.ratioY = 0.5;
    scale.zoom = 0.5;
    scene.setMarginFrame(margins, kDpi, kDpi, scale);
    QCOMPARE(scene.marginItem()->rect(), QRectF(100, 50, 400 - 100 - 15, 300 - 50 - 25));
}

void tst_PageScene::markersAndFloatingRegions()
{
    PageScene scene;
    scene.addFixedItems(stPageNoInfo());
    showPage(scene, QSize(400, 300));
    scene.placeMarkersAtCorners();
    QCOMPARE(scene.markerPositions(), (QVector<QPoint>{{0, 0}, {400, 0}, {400, 300}, {0, 300}}));
    scene.marker(2)->setPos(380.6, 290.4);
    QCOMPARE(scene.markerPositions().at(2), QPoint(381, 290));

    QPixmap region(30, 20);
    region.fill(Qt::black);
    scene.addRoiImage(region, QPointF(10.4, 20.6), true);
    const QList<QRect> rects = scene.takeRoiImages();
    QCOMPARE(rects, QList<QRect>{QRect(10, 21, 30, 20)});
    QCOMPARE(scene.items().size(), 7);
    QVERIFY(scene.takeRoiImages().isEmpty());
}

QTEST_MAIN(tst_PageScene)
#include "tst_PageScene.moc"
