#include "EditTextItem.h"
#include "PageScene.h"

#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QTest>
#include <memory>

// 254 dpi makes 10 mm exactly 100 pixels.
static constexpr int kDpi = 254;

class tst_PageScene : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageScene> scene;

private slots:
    void init()
    {
        scene = std::make_unique<PageScene>();
        scene->addFixedItems(stPageNoInfo());
        scene->addFixedItems(stPageNoInfo());
        QCOMPARE(scene->items().size(), 7); // image, frame, text, four markers; once only
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        scene->setDisplayedImage(image);
    }

    void placePageNo_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<bool>("right");
        QTest::newRow("左上") << QStringLiteral("左上") << false;
        QTest::newRow("右下") << QStringLiteral("右下") << true;
    }
    void placePageNo()
    {
        QFETCH(QString, area);
        QFETCH(bool, right);
        scene->setPageNoText(QStringLiteral("0012"));
        // 20 mm across and 10 mm down at 254 dpi, shown at half size: 100 and 50.
        scene->placePageNo(area, 20, 10, kDpi, kDpi, 0.5);
        const EditTextItem* item = scene->pageNoItem();
        const qreal width = item->boundingRect().width();
        const qreal height = QFontMetricsF(item->font()).height();
        QCOMPARE(item->pos(),
                 right ? QPointF(400 - width - 100, 300 - 50 - height) : QPointF(100, 50));
    }

    void pageNoStyleFollowsZoom()
    {
        stPageNoInfo pageNo;
        pageNo.fontSize = 6; // 60 px at 254 dpi
        scene->applyPageNoStyle(pageNo, kDpi, 0.25);
        QCOMPARE(scene->pageNoItem()->font().pixelSize(), 15);
        // A vanishing zoom keeps a drawable font.
        scene->applyPageNoStyle(pageNo, kDpi, 0.001);
        QCOMPARE(scene->pageNoItem()->font().pixelSize(), 1);
    }

    void marginFrameScalesWithDisplay()
    {
        stPageMargins margins;
        margins.top = 10;
        margins.bottom = 5;
        margins.left = 20;
        margins.right = 3; // 29.5 display px: truncated to 29
        stDisplayScale scale;
        scale.ratioX = scale.ratioY = scale.zoom = 0.5;
        scene->setMarginFrame(margins, kDpi, kDpi, scale);
        QCOMPARE(scene->marginItem()->rect(), QRectF(100, 50, 400 - 100 - 15, 300 - 50 - 25));
    }

    void markerPositionsRoundToPixels()
    {
        scene->placeMarkersAtCorners();
        scene->marker(2)->setPos(380.6, 290.4);
        QCOMPARE(scene->markerPositions(),
                 (QVector<QPoint>{{0, 0}, {400, 0}, {381, 290}, {0, 300}}));
    }
};

QTEST_MAIN(tst_PageScene)
#include "tst_PageScene.moc"
