#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QMovie>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Every image the widgets ask for under ":/images/".
const char kImages[] =
    "logo_tarvo_qavo.ico bg_title.png title_mode_jg.png title_mode_qc.png "
    "window_hide.png window_max.png window_close.png folder_new.png folder_rename.png "
    "folder_del.png folder_open.png folder_add.png folder_batch.png root_dir.png "
    "load_path.png refresh.png file_rename.png file_replace.png file_del.png "
    "file_all.png file_checked.png multview.png tree_expand.png tree_extend.png "
    "left90.ico right90.ico angle180.ico image_rotate.png image_flip.png image_hor.png "
    "image_ver.png slop_auto.ico slop_left.png slop_right.png slop_line.ico "
    "image_slope.png area_select.png area_in.png area_out.png image_cut.png "
    "image_clear_bg.png image_bg_set.png image_bg_color.png image_binary.png "
    "image_binary.ico context_light.ico context_deep.ico colour_set.png image_color.png "
    "signet_red.png signet_blue.png image_signet.png image_sign_chapter.png "
    "image_sign_code.png correct_auto.png correct_dot.png image_correct.png "
    "image_dots.png page_margin.png page_no.png image_pagesize.png image_dpi.png "
    "image_font.png image_copy.png image_paste.png image_add.png image_subtract.png "
    "image_ocr.png image_qc.png zoom_in.ico zoom_out.ico page_pre.ico page_next.ico "
    "undo.png redo.png undo_quick.png save.png action_set.png toolbar_more.png "
    "waiting.gif question.png ico_ok.png ico_cancel.png checkbox_checked.png "
    "checkbox_unchecked.png drop_arrow.png Up.png Down.png";

QRgb styledPixel(QPushButton& button, const QPoint& at)
{
    button.resize(120, 36);
    button.ensurePolished();
    return button.grab().toImage().pixel(at);
}

bool near(QRgb a, const QColor& b)
{
    return qAbs(qRed(a) - b.red()) < 8 && qAbs(qGreen(a) - b.green()) < 8 &&
           qAbs(qBlue(a) - b.blue()) < 8;
}

} // namespace

class ResourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void imageLoads_data();
    void imageLoads();
    void busyAnimationPlays();
    void styleSheetUrlsResolve();
    void buttonFaces();
    void defaultShortcuts();
};

void ResourcesTest::initTestCase()
{
    QFile sheet(":/qss/normalstyle.css");
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

void ResourcesTest::imageLoads_data()
{
    QTest::addColumn<QString>("path");
    for (const QString& name : QString(kImages).split(' '))
        QTest::newRow(qPrintable(name)) << ":/images/" + name;
}

void ResourcesTest::imageLoads()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    // Drawn, not blank: visible pixels of more than one colour.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() >= 2, qPrintable(QString::number(colours.size())));
}

void ResourcesTest::busyAnimationPlays()
{
    QMovie movie(":/images/waiting.gif");
    QVERIFY(movie.isValid() && movie.frameCount() > 4 && movie.jumpToFrame(0));
    const QImage first = movie.currentImage();
    for (int i = 0; i < movie.frameCount() / 2; ++i) // GIF frames are read in sequence only
        QVERIFY(movie.jumpToNextFrame());
    QVERIFY(movie.currentImage() != first);
    QVERIFY(movie.nextFrameDelay() > 0);
    QCOMPARE(movie.loopCount(), -1); // endless
}

void ResourcesTest::styleSheetUrlsResolve()
{
    auto it = QRegularExpression(R"(url\((:/[^)]+)\))").globalMatch(qApp->styleSheet());
    int count = 0;
    for (; it.hasNext(); ++count) {
        const QString path = it.next().captured(1);
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
    QVERIFY(count >= 8);
}

void ResourcesTest::buttonFaces()
{
    // Dialogs mark their buttons with a "state" property; the sheet gives the faces.
    QPushButton ok("确定"), cancel("取消"), scan;
    ok.setProperty("state", "ok");
    cancel.setProperty("state", "cancel");
    QVERIFY(near(styledPixel(ok, {8, 18}), QColor("#2A82E4")));
    QVERIFY(near(styledPixel(cancel, {8, 18}), Qt::white));
    QVERIFY(near(styledPixel(cancel, {0, 18}), QColor("#2A82E4"))); // the 1px border
    QCOMPARE(ok.palette().color(QPalette::ButtonText), QColor(Qt::white));
    QCOMPARE(cancel.palette().color(QPalette::ButtonText), QColor("#2A82E4"));
    scan.setObjectName("btn_scan");
    QVERIFY(near(styledPixel(scan, {8, 18}), QColor("#5CCF42")));
}

void ResourcesTest::defaultShortcuts()
{
    QFile file(":/config/shortcut.json");
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray rows =
        doc.object().value("shortcut").toObject().value("ImageProcess").toArray();
    const QStringList expected = {
        "向左旋转=Q",  "向右旋转=E", "去除框内=W",  "去除框外=F", "图像裁剪=D",
        "红章加深=H",  "蓝章加深=L", "内容加深=B",  "拉线纠斜=Z", "撤销=Ctrl+Z",
        "回退=Ctrl+Y", "上一页=",    "下一页=Space"};
    QStringList actual;
    for (const QJsonValue& row : rows) {
        const QString key = row.toObject().value("key").toString();
        actual << row.toObject().value("action").toString() + "=" + key;
        // Keys are in Qt's portable text form.
        QCOMPARE(QKeySequence::fromString(key, QKeySequence::PortableText)
                     .toString(QKeySequence::PortableText),
                 key);
    }
    QCOMPARE(actual, expected);
}

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
