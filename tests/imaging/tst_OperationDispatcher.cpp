#include "ImageHelper.h"
#include "OperationDispatcher.h"
#include "PageNumberStamper.h"

#include <QFont>
#include <QPolygon>
#include <QtTest>
#include <functional>

using EngineCall = std::function<cv::Mat(const cv::Mat&)>;
Q_DECLARE_METATYPE(EngineCall)

// Every identifier reaches its own engine call with its value; bad values and
// unknown identifiers leave the page alone.
class TestOperationDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void mapsToEngineCall_data();
    void mapsToEngineCall();
    void refuses_data();
    void refuses();
    void batchListOrder();
    void batchValues();
};

// 40 x 30 white page with a black bar, a red and a blue seal patch and a
// near-white smudge; asymmetric so that every turn and mirror is distinct.
static cv::Mat samplePage()
{
    cv::Mat page(30, 40, CV_8UC3, cv::Scalar(255, 255, 255));
    page(cv::Rect(3, 4, 20, 3)).setTo(cv::Scalar(0, 0, 0));
    page(cv::Rect(25, 15, 6, 6)).setTo(cv::Scalar(60, 60, 230));
    page(cv::Rect(5, 20, 5, 5)).setTo(cv::Scalar(230, 60, 60));
    page(cv::Rect(30, 2, 6, 4)).setTo(cv::Scalar(235, 232, 228));
    page.at<cv::Vec3b>(28, 38) = cv::Vec3b(10, 10, 10);
    return page;
}

static OperationContext sampleContext()
{
    OperationContext ctx;
    ctx.backgroundColour = QColor(250, 240, 200);
    ctx.dpiX = 254; // 10 px per mm
    ctx.dpiY = 127;
    ctx.margins = {1, 1, 2, 1};
    ctx.pageSize = {3, 6};
    ctx.colour.contrast = 1.2f;
    ctx.colour.brightness = -5;
    ctx.colour.saturation = 0.7f;
    ctx.clipboard = cv::Mat(5, 5, CV_8UC3, cv::Scalar(1, 2, 3));
    return ctx;
}

void TestOperationDispatcher::mapsToEngineCall_data()
{
    using namespace ImageHelper;
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QSize>("size"); // expected width x height
    QTest::addColumn<EngineCall>("engine");

    const QColor bg = sampleContext().backgroundColour;
    const QRect rect(2, 3, 12, 10);
    const QSize same(40, 30);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    const QPolygon corners({QPoint(2, 2), QPoint(37, 3), QPoint(38, 27), QPoint(1, 28)});

    auto row = [](const char* name, int id, const QVariant& value, QSize size, EngineCall call) {
        QTest::newRow(name) << id << value << size << call;
    };
    row("1 rotate left", IMG_OPT_ROTATE_LEFT, {}, {30, 40}, [](auto& m) { return rotate(m, 90); });
    row("2 rotate right", IMG_OPT_ROTATE_RIGHT, {}, {30, 40},
        [](auto& m) { return rotate(m, 270); });
    row("3 rotate 180", IMG_OPT_ROTATE_180, {}, same, [](auto& m) { return rotate(m, 180); });
    row("6 flip h", IMG_OPT_FLIP_HORIZONTAL, {}, same, [](auto& m) { return flip(m, 1); });
    row("7 flip v", IMG_OPT_FLIP_VERTICAL, {}, same, [](auto& m) { return flip(m, 0); });
    row("11 auto deskew", IMG_OPT_SLOPE_AUTO, {}, same, [](auto& m) { return autoDeskew(m, 2); });
    row("12 line deskew", IMG_OPT_SLOPE_LINE, 4.5, same,
        [](auto& m) { return rotateByAngle(m, 4.5f); });
    row("13 left 1", IMG_OPT_SLOPE_LEFT, {}, same, [](auto& m) { return rotateByAngle(m, 1.0f); });
    row("14 right 1", IMG_OPT_SLOPE_RIGHT, {}, same,
        [](auto& m) { return rotateByAngle(m, -1.0f); });
    row("16 auto correct", IMG_OPT_CORRECT_AUTO, {}, QSize(),
        [](auto& m) { return autoCorrect(m); });
    row("17 four points", IMG_OPT_CORRECT_DOT, QVariant::fromValue(corners), QSize(),
        [=](auto& m) { return perspectiveCorrect(m, corners); });
    row("21 clear background", IMG_OPT_BG_CLEAR, {}, same,
        [=](auto& m) { return clearBackground(m, bg); });
    row("22 colour", IMG_OPT_BGCOLOR_ADJUST, QColor(Qt::yellow), same,
        [](auto& m) { return setBackgroundColour(m, QColor(Qt::yellow)); });
    row("22 settings text", IMG_OPT_BGCOLOR_ADJUST, QStringLiteral("0,128,255"), same,
        [](auto& m) { return setBackgroundColour(m, QColor(0, 128, 255)); });
    row("26 clear inside", IMG_OPT_CLEAR_INSIDE, rect, same,
        [=](auto& m) { return clearInside(m, rect, bg); });
    row("27 clear outside", IMG_OPT_CLEAR_OUTSIDE, rect, same,
        [=](auto& m) { return clearOutside(m, rect, bg); });
    row("36 red seal, whole page", IMG_OPT_SEAL_RED, {}, same,
        [](auto& m) { return redSealDeep(m); });
    row("36 red seal, rectangle", IMG_OPT_SEAL_RED, QRect(24, 14, 4, 4), same,
        [](auto& m) { return redSealDeep(m, QRect(24, 14, 4, 4)); });
    row("37 blue seal", IMG_OPT_SEAL_BLUE, rect, same,
        [=](auto& m) { return blueSealDeep(m, rect); });
    row("42 page number", IMG_OPT_SIGN_PAGENO,
        QVariantMap{{"text", "12"}, {"font", font}, {"pos", QPoint(20, 10)}}, same,
        [=](auto& m) { return PageNumberStamper::paintText(m, "12", font, QPoint(20, 10)); });
    row("43 numbering pass", IMG_OPT_PAGENO_BATCH, {}, same, [](auto& m) { return m; });
    row("46 colour values", IMG_OPT_COLOUR_ADJUST, QVariantList{1.5, 10, 0.5}, same,
        [](auto& m) { return adjustColour(m, 1.5f, 10, 0.5f); });
    row("46 from context", IMG_OPT_COLOUR_ADJUST, {}, same,
        [](auto& m) { return adjustColour(m, 1.2f, -5, 0.7f); });
    row("51 binary", IMG_OPT_BINARY, {}, same, [](auto& m) { return binarize(m); });
    row("53 crop", IMG_OPT_CROP, rect, {12, 10}, [=](auto& m) { return crop(m, rect); });
    row("54 dpi", IMG_OPT_DPI, {}, same, [](auto& m) { return m; });
    // 10 px/mm across, 5 px/mm down.
    row("55 batch map", IMG_OPT_PAGESIZE,
        QVariantMap{{"widthMM", 5}, {"heightMM", 4}, {"dpiX", 254}, {"dpiY", 127}}, {50, 20},
        [](auto& m) { return resizeToPage(m, 50, 20, 1); });
    row("55 size in mm", IMG_OPT_PAGESIZE, QSize(2, 8), {20, 40},
        [](auto& m) { return resizeToPage(m, 20, 40, 1); });
    row("55 from context", IMG_OPT_PAGESIZE, {}, {30, 30},
        [](auto& m) { return resizeToPage(m, 30, 30, 1); });
    row("60 copy", IMG_OPT_ROI_COPY, rect, same, [](auto& m) { return m; });
    row("61 paste", IMG_OPT_ROI_PASTE, rect, same,
        [=](auto& m) { return pasteRegion(m, cv::Mat(5, 5, CV_8UC3, cv::Scalar(1, 2, 3)), rect); });
    row("100 content deep", IMG_OPT_CONTENT_DEEP, {}, same, [](auto& m) { return contentDeep(m); });
    row("101 content light", IMG_OPT_CONTENT_LIGHT, {}, same,
        [](auto& m) { return contentLight(m); });
    // Margins 1, 1, 2, 1 mm at the given 127 x 254 dpi: 10, 10 rows; 10, 5 columns.
    row("203 margins, batch dpi", IMG_OPT_AREA_CLEAR, QPoint(127, 254), same,
        [=](auto& m) { return clearMargins(m, 10, 10, 10, 5, bg); });
    row("203 margins, context dpi", IMG_OPT_AREA_CLEAR, {}, same,
        [=](auto& m) { return clearMargins(m, 5, 5, 20, 10, bg); });
}

void TestOperationDispatcher::mapsToEngineCall()
{
    QFETCH(int, id);
    QFETCH(QVariant, value);
    QFETCH(QSize, size);
    QFETCH(EngineCall, engine);

    const cv::Mat page = samplePage();
    const cv::Mat before = page.clone();
    bool ok = false;
    const cv::Mat out = OperationDispatcher::apply(id, page, value, sampleContext(), &ok);
    QVERIFY(ok);
    const cv::Mat expected = engine(samplePage());
    QCOMPARE(out.size(), expected.size());
    QCOMPARE(out.type(), expected.type());
    QCOMPARE(cv::norm(out, expected, cv::NORM_INF), 0.0);
    if (size.isValid())
        QCOMPARE(QSize(out.cols, out.rows), size);
    // The caller's page is never written to.
    QCOMPARE(cv::norm(page, before, cv::NORM_INF), 0.0);
}

void TestOperationDispatcher::refuses_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("batch");

    QTest::newRow("unknown id") << 999 << QVariant() << false;
    QTest::newRow("save command") << int(CMD_SAVE) << QVariant() << false;
    QTest::newRow("22 without colour") << int(IMG_OPT_BGCOLOR_ADJUST) << QVariant() << true;
    QTest::newRow("22 bad text") << int(IMG_OPT_BGCOLOR_ADJUST) << QVariant("red,green") << true;
    QTest::newRow("55 page size zero")
        << int(IMG_OPT_PAGESIZE)
        << QVariant(QVariantMap{{"widthMM", 0}, {"heightMM", 0}, {"dpiX", 300}, {"dpiY", 300}})
        << true;
    QTest::newRow("55 dpi zero")
        << int(IMG_OPT_PAGESIZE)
        << QVariant(QVariantMap{{"widthMM", 210}, {"heightMM", 297}, {"dpiX", 0}, {"dpiY", 0}})
        << true;
    QTest::newRow("12 angle not a number") << int(IMG_OPT_SLOPE_LINE) << QVariant("x") << false;
    QTest::newRow("17 three points")
        << int(IMG_OPT_CORRECT_DOT) << QVariant::fromValue(QPolygon({{0, 0}, {5, 0}, {5, 5}}))
        << false;
    QTest::newRow("26 without rectangle") << int(IMG_OPT_CLEAR_INSIDE) << QVariant() << false;
    QTest::newRow("53 without rectangle") << int(IMG_OPT_CROP) << QVariant() << false;
    QTest::newRow("42 without text") << int(IMG_OPT_SIGN_PAGENO) << QVariant() << false;
    // Toolbar-only operations do nothing in a batch.
    QTest::newRow("51 in a batch") << int(IMG_OPT_BINARY) << QVariant() << true;
    QTest::newRow("53 in a batch") << int(IMG_OPT_CROP) << QVariant(QRect(0, 0, 5, 5)) << true;
}

void TestOperationDispatcher::refuses()
{
    QFETCH(int, id);
    QFETCH(QVariant, value);
    QFETCH(bool, batch);

    OperationContext ctx = sampleContext();
    ctx.batch = batch;
    const cv::Mat page = samplePage();
    bool ok = true;
    const cv::Mat out = OperationDispatcher::apply(id, page, value, ctx, &ok);
    QVERIFY(!ok);
    QCOMPARE(out.size(), page.size());
    QCOMPARE(cv::norm(out, page, cv::NORM_INF), 0.0);

    QVERIFY(OperationDispatcher::apply(id, cv::Mat(), value, ctx, &ok).empty());
    QVERIFY(!ok);
}

void TestOperationDispatcher::batchListOrder()
{
    const QList<int> expected = {11, 203, 1, 2, 3, 6, 7, 101, 100, 36, 46, 22, 43, 55, 54};
    QCOMPARE(OperationDispatcher::batchOperations(), expected);
    QVERIFY(OperationDispatcher::isBatchOperation(IMG_OPT_SEAL_RED));
    QVERIFY(!OperationDispatcher::isBatchOperation(IMG_OPT_SEAL_BLUE));
    QVERIFY(OperationDispatcher::isKnown(IMG_OPT_ROI_PASTE));
    QVERIFY(!OperationDispatcher::isKnown(CMD_NEXT_PAGE));
}

void TestOperationDispatcher::batchValues()
{
    // The batch worker's values reach the same calls as in the table above.
    OperationContext ctx = sampleContext();
    ctx.batch = true;
    const cv::Mat page = samplePage();
    bool ok = false;
    const cv::Mat sized = OperationDispatcher::apply(
        IMG_OPT_PAGESIZE, page, OperationDispatcher::batchValue(IMG_OPT_PAGESIZE, ctx), ctx, &ok);
    QVERIFY(ok);
    QCOMPARE(sized.size(), cv::Size(30, 30));
    QCOMPARE(OperationDispatcher::batchValue(IMG_OPT_AREA_CLEAR, ctx), QVariant(QPoint(254, 127)));
    QCOMPARE(OperationDispatcher::batchValue(IMG_OPT_BGCOLOR_ADJUST, ctx).value<QColor>(),
             ctx.backgroundColour);
    const QVariantList colour =
        OperationDispatcher::batchValue(IMG_OPT_COLOUR_ADJUST, ctx).toList();
    QCOMPARE(colour.size(), 3);
    QCOMPARE(colour[1].toInt(), -5);
    QVERIFY(!OperationDispatcher::batchValue(IMG_OPT_ROTATE_LEFT, ctx).isValid());
}

QTEST_MAIN(TestOperationDispatcher)
#include "tst_OperationDispatcher.moc"
