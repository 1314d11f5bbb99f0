#include "ImageHelper.h"
#include "OperationDispatcher.h"
#include "PageNumberStamper.h"
#include "PageTestFiles.h"

#include <QPolygon>
#include <QtTest>
#include <functional>

using EngineCall = std::function<cv::Mat(const cv::Mat&)>;
Q_DECLARE_METATYPE(EngineCall)

using PageTestFiles::same;

// 40 x 30 white page with a black bar, red and blue seal patches and a
// near-white smudge; asymmetric, so every turn and mirror is distinct.
static cv::Mat samplePage()
{
    cv::Mat page(30, 40, CV_8UC3, cv::Scalar::all(255));
    page(cv::Rect(3, 4, 20, 3)).setTo(cv::Scalar(0, 0, 0));
    page(cv::Rect(25, 15, 6, 6)).setTo(cv::Scalar(60, 60, 230));
    page(cv::Rect(5, 20, 5, 5)).setTo(cv::Scalar(230, 60, 60));
    page(cv::Rect(30, 2, 6, 4)).setTo(cv::Scalar(235, 232, 228));
    return page;
}

// 254 dpi across is 10 px per mm, 127 down is 5.
static OperationContext sampleContext(bool batch = false)
{
    OperationContext ctx;
    ctx.backgroundColour = QColor(250, 240, 200);
    ctx.dpiX = 254;
    ctx.dpiY = 127;
    ctx.margins = {1, 1, 2, 1};
    ctx.pageSize = {3, 6};
    ctx.colour = {-5, 1.2f, 0.7f};
    ctx.batch = batch;
    return ctx;
}

// Every identifier reaches its own engine call with its value; bad values,
// unknown identifiers and toolbar-only operations in a batch leave the page alone.
class TestOperationDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void mapsToEngineCall_data()
    {
        using namespace ImageHelper;
        QTest::addColumn<int>("id");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<EngineCall>("engine"); // empty: refused, the page comes back as it was
        QTest::addColumn<bool>("batch");
        const QColor bg = sampleContext().backgroundColour;
        // Only rows where the value or the context is turned into arguments; the
        // plain forwards are seen end to end in the window and batch tests.
        const QRect r(2, 3, 12, 10);
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(12);
        const QPolygon corners({{2, 2}, {37, 3}, {38, 27}, {1, 28}});
        const QVariantMap text{{"text", "12"}, {"font", font}, {"pos", QPoint(20, 10)}};
        const QVariantMap mm{{"widthMM", 5}, {"heightMM", 4}, {"dpiX", 254}, {"dpiY", 127}};
        auto row = [](const char* name, int id, QVariant value, EngineCall call,
                      bool batch = false) { QTest::newRow(name) << id << value << call << batch; };
#define CALL(expr) [=](const cv::Mat& m) { return expr; }
        row("12", 12, 4.5, CALL(rotateByAngle(m, 4.5f)));
        row("17", 17, QVariant::fromValue(corners), CALL(perspectiveCorrect(m, corners)));
        row("22 settings text", 22, "0,128,255", CALL(setBackgroundColour(m, QColor(0, 128, 255))));
        row("42", 42, text, CALL(PageNumberStamper::paintText(m, "12", font, QPoint(20, 10))));
        row("46 values", 46, QVariantList{1.5, 10, 0.5}, CALL(adjustColour(m, 1.5f, 10, 0.5f)));
        row("46 context", 46, {}, CALL(adjustColour(m, 1.2f, -5, 0.7f)));
        row("53", 53, r, CALL(crop(m, r)));
        row("55 batch map", 55, mm, CALL(resizeToPage(m, 50, 20, 1)));
        row("55 context", 55, {}, CALL(resizeToPage(m, 30, 30, 1)));
        // Margins 1, 1, 2, 1 mm; top and bottom with the y resolution, sides with x.
        row("203 batch dpi", 203, QPoint(127, 254), CALL(clearMargins(m, 10, 10, 10, 5, bg)));
#undef CALL
        const QVariantMap a4NoDpi{{"widthMM", 210}, {"heightMM", 297}, {"dpiX", 0}, {"dpiY", 0}};
        row("refused: unknown", 999, {}, {});
        row("refused: 22 bad text", 22, "red,green", {}, true);
        row("refused: 55 zero dpi", 55, a4NoDpi, {}, true);
        row("refused: 17 three points", 17, QVariant::fromValue(QPolygon(3)), {});
        row("refused: 53 in a batch", 53, QRect(0, 0, 5, 5), {}, true);
    }
    void mapsToEngineCall()
    {
        QFETCH(int, id);
        QFETCH(QVariant, value);
        QFETCH(EngineCall, engine);
        QFETCH(bool, batch);
        const cv::Mat page = samplePage();
        bool ok = !engine;
        const cv::Mat out = OperationDispatcher::apply(id, page, value, sampleContext(batch), &ok);
        QCOMPARE(ok, bool(engine));
        QVERIFY(same(out, engine ? engine(samplePage()) : page));
        QVERIFY(same(page, samplePage())); // the caller's page untouched
        QVERIFY(OperationDispatcher::apply(id, cv::Mat(), value, sampleContext(batch)).empty());
    }

    // The batch worker's page-size value sizes with the resolution in force.
    void batchPageSizeValue()
    {
        const OperationContext ctx = sampleContext(true);
        const QVariant value = OperationDispatcher::batchValue(IMG_OPT_PAGESIZE, ctx);
        QCOMPARE(OperationDispatcher::apply(55, samplePage(), value, ctx).size(), cv::Size(30, 30));
    }
};

QTEST_MAIN(TestOperationDispatcher)
#include "tst_OperationDispatcher.moc"
