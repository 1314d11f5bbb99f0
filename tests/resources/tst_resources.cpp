#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Every image the widgets ask for under ":/images/".
const char* const kImages[] = {
    "logo_tarvo_qavo.ico",
    "bg_title.png",
    "title_mode_jg.png",
    "title_mode_qc.png",
    "window_hide.png",
    "window_max.png",
    "window_close.png",
    "folder_new.png",
    "folder_rename.png",
    "folder_del.png",
    "folder_open.png",
    "folder_add.png",
    "folder_batch.png",
    "root_dir.png",
    "load_path.png",
    "refresh.png",
    "file_rename.png",
    "file_replace.png",
    "file_del.png",
    "file_all.png",
    "file_checked.png",
    "multview.png",
    "tree_expand.png",
    "tree_extend.png",
    "left90.ico",
    "right90.ico",
    "angle180.ico",
    "image_rotate.png",
    "image_flip.png",
    "image_hor.png",
    "image_ver.png",
    "slop_auto.ico",
    "slop_left.png",
    "slop_right.png",
    "slop_line.ico",
    "image_slope.png",
    "area_select.png",
    "area_in.png",
    "area_out.png",
    "image_cut.png",
    "image_clear_bg.png",
    "image_bg_set.png",
    "image_bg_color.png",
    "image_binary.png",
    "image_binary.ico",
    "context_light.ico",
    "context_deep.ico",
    "colour_set.png",
    "image_color.png",
    "signet_red.png",
    "signet_blue.png",
    "image_signet.png",
    "image_sign_chapter.png",
    "image_sign_code.png",
    "correct_auto.png",
    "correct_dot.png",
    "image_correct.png",
    "image_dots.png",
    "page_margin.png",
    "page_no.png",
    "image_pagesize.png",
    "image_dpi.png",
    "image_font.png",
    "image_copy.png",
    "image_paste.png",
    "image_add.png",
    "image_subtract.png",
    "image_ocr.png",
    "image_qc.png",
    "zoom_in.ico",
    "zoom_out.ico",
    "page_pre.ico",
    "page_next.ico",
    "undo.png",
    "redo.png",
    "undo_quick.png",
    "save.png",
    "action_set.png",
    "toolbar_more.png",
    "waiting.gif",
    "question.png",
    "ico_ok.png",
    "ico_cancel.png",
    "checkbox_checked.png",
    "checkbox_unchecked.png",
    "drop_arrow.png",
    "Up.png",
    "Down.png",
};

QImage grabStyled(QWidget& widget, const QSize& size)
{
    widget.resize(size);
    widget.ensurePolished();
    return widget.grab().toImage();
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
    void iconsHoldSeveralSizes();
    void busyAnimationPlays();
    void imagesAreDistinctDrawings();
    void styleSheetUrlsResolve();
    void sectionLabelFont_data();
    void sectionLabelFont();
    void actionButtonColour_data();
    void actionButtonColour();
    void dialogButtonFaces();
    void modeButtonFaces();
    void tabColours();
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
    for (const char* name : kImages)
        QTest::newRow(name) << QStringLiteral(":/images/") + QLatin1String(name);
}

void ResourcesTest::imageLoads()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QVERIFY(image.width() >= 8 && image.height() >= 8);
    QVERIFY(!QIcon(path).isNull());
    QVERIFY(!QIcon(path).availableSizes().isEmpty());
    // Drawn, not blank: some pixels are visible and not all of them alike.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 0)
                colours.insert(argb.pixel(x, y));
    QVERIFY2(colours.size() >= 2, qPrintable(QString::number(colours.size())));
}

void ResourcesTest::iconsHoldSeveralSizes()
{
    for (const char* name : kImages) {
        if (!QByteArray(name).endsWith(".ico"))
            continue;
        QImageReader reader(QStringLiteral(":/images/") + QLatin1String(name));
        QVERIFY2(reader.imageCount() >= 3, name);
    }
}

void ResourcesTest::busyAnimationPlays()
{
    QMovie movie(":/images/waiting.gif");
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() > 4);
    QVERIFY(movie.jumpToFrame(0));
    const QImage first = movie.currentImage();
    QVERIFY(!first.isNull());
    // GIF frames are read in sequence only.
    for (int i = 0; i < movie.frameCount() / 2; ++i)
        QVERIFY(movie.jumpToNextFrame());
    QVERIFY(movie.currentImage() != first);
    QVERIFY(movie.nextFrameDelay() > 0);
    QCOMPARE(movie.loopCount(), -1); // endless
}

void ResourcesTest::imagesAreDistinctDrawings()
{
    // Guards against one drawing copied under two names; "image_binary" exists
    // as .png and .ico of the same drawing, so names are compared without suffix.
    QHash<QByteArray, QString> seen;
    for (const char* name : kImages) {
        const QString base = QFileInfo(name).completeBaseName();
        const QImage image = QImage(QStringLiteral(":/images/") + QLatin1String(name))
                                 .scaled(24, 24)
                                 .convertToFormat(QImage::Format_ARGB32);
        const QByteArray hash = QCryptographicHash::hash(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), int(image.sizeInBytes())),
            QCryptographicHash::Sha1);
        if (seen.contains(hash))
            QVERIFY2(seen.value(hash) == base, qPrintable(base + " = " + seen.value(hash)));
        seen.insert(hash, base);
    }
}

void ResourcesTest::styleSheetUrlsResolve()
{
    const QString sheet = qApp->styleSheet();
    QRegularExpressionMatchIterator it =
        QRegularExpression(R"(url\((:/[^)]+)\))").globalMatch(sheet);
    int count = 0;
    for (; it.hasNext(); ++count) {
        const QString path = it.next().captured(1);
        QVERIFY2(!QImage(path).isNull(), qPrintable(path));
    }
    QVERIFY(count >= 8);
}

void ResourcesTest::sectionLabelFont_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"lb_dir", "lb_file", "lb_scanner", "lb_rename", "lb_batch_image", "lb_fj"})
        QTest::newRow(name) << name;
}

void ResourcesTest::sectionLabelFont()
{
    QFETCH(QString, name);
    QLabel label("  目录树");
    label.setObjectName(name);
    label.ensurePolished();
    QVERIFY(label.font().bold());
    QCOMPARE(label.font().weight(), int(QFont::Bold));
    QCOMPARE(label.font().pointSize(), 12);
    // The Windows family, or its fallback where that family is missing.
    const QStringList families = QFontDatabase().families();
    if (families.contains("Microsoft YaHei UI") || families.contains("Noto Sans CJK SC"))
        QVERIFY2(QFontInfo(label.font()).family().contains(QRegularExpression("YaHei|CJK")),
                 qPrintable(QFontInfo(label.font()).family()));
}

void ResourcesTest::actionButtonColour_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    const QList<QPair<const char*, const char*>> buttons = {
        {"btn_scan", "#5CCF42"},
        {"btn_scan_insert", "#43CF7C"},
        {"btn_scan_replace", "#2A82E4"},
        {"btn_scan_preview", "#1890FF"},
        {"btn_batch_process_checked", "#5CCF42"},
        {"btn_fj_pageno", "#5CCF42"},
        {"btn_batch_process", "#2A82E4"},
        {"btn_fj_pagecount", "#2A82E4"},
        {"btn_qc_import", "#1890FF"},
        {"btn_match", "#1890FF"},
        {"btn_qc_export", "#5CCF42"},
        {"btn_qc", "#5CCF42"},
        {"btn_statistics", "#2A82E4"},
        {"btn_export", "#43CF7C"}};
    for (const auto& b : buttons)
        QTest::newRow(b.first) << b.first << QColor(b.second);
}

void ResourcesTest::actionButtonColour()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QPushButton button;
    button.setObjectName(name);
    const QImage face = grabStyled(button, QSize(120, 36));
    QVERIFY2(near(face.pixel(8, 18), colour), qPrintable(QColor(face.pixel(8, 18)).name()));
    QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(Qt::white));
}

void ResourcesTest::dialogButtonFaces()
{
    QPushButton ok("确定"), cancel("取消");
    ok.setProperty("state", "ok");
    cancel.setProperty("state", "cancel");
    const QImage okFace = grabStyled(ok, QSize(100, 32));
    const QImage cancelFace = grabStyled(cancel, QSize(100, 32));
    QVERIFY(near(okFace.pixel(8, 16), QColor("#2A82E4")));
    QVERIFY(near(cancelFace.pixel(8, 16), Qt::white));
    QVERIFY(near(cancelFace.pixel(0, 16), QColor("#2A82E4"))); // the 1px border
    QCOMPARE(ok.palette().color(QPalette::ButtonText), QColor(Qt::white));
    QCOMPARE(cancel.palette().color(QPalette::ButtonText), QColor("#2A82E4"));
}

void ResourcesTest::modeButtonFaces()
{
    QWidget top;
    top.setObjectName("widget_top");
    auto* layout = new QVBoxLayout(&top);
    auto* mode = new QPushButton;
    mode->setObjectName("btn_mode_qc");
    mode->setCheckable(true);
    mode->setFixedSize(120, 25);
    layout->addWidget(mode);
    top.resize(300, 50);
    top.ensurePolished();
    const QImage off = mode->grab().toImage();
    mode->setChecked(true);
    const QImage on = mode->grab().toImage();
    QVERIFY(off != on);
    QCOMPARE(mode->size(), QSize(120, 25)); // the sheet must not override fixed sizes
    // Checked face is green, unchecked grey.
    const QRgb offMid = off.pixel(60, 12), onMid = on.pixel(60, 12);
    QVERIFY(qAbs(qRed(offMid) - qGreen(offMid)) < 10);
    QVERIFY(qGreen(onMid) > qRed(onMid) + 15);
}

void ResourcesTest::tabColours()
{
    QTabBar bar;
    bar.addTab("扫描");
    bar.addTab("批量图处");
    bar.setCurrentIndex(0);
    bar.resize(bar.sizeHint());
    bar.ensurePolished();
    const QImage image = bar.grab().toImage();
    QVERIFY(near(image.pixel(bar.tabRect(0).center()), Qt::white) ||
            near(image.pixel(bar.tabRect(0).topLeft() + QPoint(3, 3)), Qt::white));
    QVERIFY(near(image.pixel(bar.tabRect(1).topLeft() + QPoint(3, 3)), QColor("#eeeeee")));
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
