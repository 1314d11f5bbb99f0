// Parameter dialogs and the opener behind the batch rows' settings buttons:
// values reach the settings and the process-wide parameters only when a
// dialog is accepted.
#include "ActionSettingsOpener.h"
#include "ActionTableModel.h"
#include "AppPaths.h"
#include "ImageColourSetDlg.h"
#include "OperationId.h"
#include "PageNoAreaSetDlg.h"
#include "PageSizeSetDlg.h"
#include "ProcessParams.h"
#include "SettingsStore.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <opencv2/imgproc.hpp>

namespace {

template <typename T> T* field(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no field %s", name);
    return widget;
}

void setSpin(QWidget* dialog, const char* name, int value)
{
    field<QSpinBox>(dialog, name)->setValue(value);
}

// Presses the dialog's own accept or cancel control, as the operator would.
void finish(QDialog* dialog, bool accept)
{
    const QStringList names =
        accept ? QStringList{"btn_confirm", "btn_save"} : QStringList{"btn_cancel"};
    for (const QString& name : names) {
        if (auto* button = dialog->findChild<QPushButton*>(name)) {
            button->click();
            return;
        }
    }
    if (auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox")) {
        box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        return;
    }
    accept ? dialog->accept() : dialog->reject();
}

// Fields the test fills in per operation, and what acceptance must store.
struct Case
{
    std::function<void(QDialog*)> edit;
    QMap<QString, QString> keys;
    std::function<bool(const ProcessParams&)> applied;
};

Case caseFor(int cmd)
{
    switch (cmd) {
    case IMG_OPT_AREA_CLEAR:
        return {[](QDialog* d) {
                    setSpin(d, "spinBox_top", 10);
                    setSpin(d, "spinBox_bottom", 11);
                    setSpin(d, "spinBox_left", 12);
                    setSpin(d, "spinBox_right", 13);
                },
                {{"margins/top", "10"},
                 {"margins/bottom", "11"},
                 {"margins/left", "12"},
                 {"margins/right", "13"}},
                [](const ProcessParams& p) {
                    return p.margins.top == 10 && p.margins.bottom == 11 && p.margins.left == 12 &&
                           p.margins.right == 13;
                }};
    case IMG_OPT_DPI:
        return {[](QDialog* d) {
                    setSpin(d, "spinBoxDpiX", 200);
                    setSpin(d, "spinBoxDpiY", 150);
                },
                {{"dpi/dpiX", "200"}, {"dpi/dpiY", "150"}},
                [](const ProcessParams& p) { return p.dpiX == 200 && p.dpiY == 150; }};
    case IMG_OPT_PAGESIZE:
        return {[](QDialog* d) { field<QComboBox>(d, "comboBox_pageType")->setCurrentText("A3"); },
                {{"pagesize/width", "420"}, {"pagesize/height", "297"}},
                [](const ProcessParams& p) {
                    return p.pageSize.widthMM == 420 && p.pageSize.heightMM == 297;
                }};
    case IMG_OPT_PAGENO_BATCH:
        return {[](QDialog* d) {
                    setSpin(d, "spinBox_startNo", 7);
                    field<QLineEdit>(d, "edit_prefix")->setText("卷");
                    field<QComboBox>(d, "combox_align")->setCurrentText("左下");
                    field<QCheckBox>(d, "checkBox_deleteline")->setChecked(true);
                },
                // The font was not touched: the stored family stays, even where
                // it is not installed.
                {{"pageno/no-start", "7"},
                 {"pageno/prefix", "卷"},
                 {"pageno/area", "左下"},
                 {"pageno/font-deleteline", "true"},
                 {"pageno/font-family", "黑体"}},
                [](const ProcessParams& p) {
                    return p.pageNo.startNo == 7 && p.pageNo.prefix == "卷" &&
                           p.pageNo.area == "左下" && p.pageNo.strikeOut;
                }};
    case IMG_OPT_BGCOLOR_ADJUST:
        return {[](QDialog* d) {
                    auto* colours = qobject_cast<QColorDialog*>(d);
                    QCOMPARE(colours->currentColor(), QColor(Qt::white));
                    colours->setCurrentColor(QColor(10, 20, 30));
                },
                {{"image/background-color", "10,20,30"}},
                [](const ProcessParams& p) { return p.backgroundColour == QColor(10, 20, 30); }};
    case IMG_OPT_COLOUR_ADJUST:
        return {[](QDialog* d) {
                    setSpin(d, "spinBox_brightness", 20);
                    setSpin(d, "spinBox_contrast", 150);
                    setSpin(d, "spinBox_saturation", 55);
                },
                {{"colour/brightness", "20"},
                 {"colour/contrast", "1.50"},
                 {"colour/saturation", "0.55"}},
                [](const ProcessParams& p) {
                    return p.colour.brightness == 20 && qFuzzyCompare(p.colour.contrast, 1.5f) &&
                           qFuzzyCompare(p.colour.saturation, 0.55f);
                }};
    default:
        return {};
    }
}

cv::Mat colourPage()
{
    cv::Mat page(120, 80, CV_8UC3);
    for (int y = 0; y < page.rows; ++y)
        for (int x = 0; x < page.cols; ++x)
            page.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(x * 3), uchar(y * 2), 90);
    return page;
}

} // namespace

class TestParameterDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void acceptStoresCancelKeeps_data();
    void acceptStoresCancelKeeps();
    void nothingOpensWithoutParameters();
    void marginEditsAreLive();
    void pageFormatsLockAndCustomUnlocks();
    void colourPreviewLeavesCallerImage();
    void pageNumberModes();
    void numberText_data();
    void numberText();
    void areaRenamesMarginLabels_data();
    void areaRenamesMarginLabels();
    void fontChangesAreAnnounced();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestParameterDialogs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qRegisterMetaType<QDialog*>();
    AppPaths::setBaseDirForTesting(m_dir->path());
    SettingsStore::loadSettings();
    ProcessParams::current().backgroundColour = QColor(255, 255, 255);
}

void TestParameterDialogs::cleanup()
{
    AppPaths::setBaseDirForTesting(QString());
    m_dir.reset();
}

void TestParameterDialogs::acceptStoresCancelKeeps_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<bool>("accept");
    const int cmds[] = {IMG_OPT_AREA_CLEAR,     IMG_OPT_DPI,
                        IMG_OPT_PAGESIZE,       IMG_OPT_PAGENO_BATCH,
                        IMG_OPT_BGCOLOR_ADJUST, IMG_OPT_COLOUR_ADJUST};
    for (int cmd : cmds) {
        QTest::addRow("%d accepted", cmd) << cmd << true;
        QTest::addRow("%d cancelled", cmd) << cmd << false;
    }
}

void TestParameterDialogs::acceptStoresCancelKeeps()
{
    QFETCH(int, cmd);
    QFETCH(bool, accept);
    const Case c = caseFor(cmd);
    const ProcessParams before = ProcessParams::current();

    ActionSettingsOpener opener(nullptr);
    opener.setImageProvider(colourPage);
    int opened = 0;
    connect(&opener, &ActionSettingsOpener::dialogOpened, this, [&](QDialog* dialog, int id) {
        ++opened;
        QCOMPARE(id, cmd);
        QTimer::singleShot(0, dialog, [&, dialog] {
            c.edit(dialog);
            finish(dialog, accept);
        });
    });
    // Through the model, as the settings button's index arrives.
    ActionTableModel model;
    stActionData row;
    row.actionCmd = cmd;
    model.setActions({row});
    QCOMPARE(opener.open(model.index(0, 2)), accept);
    QCOMPARE(opened, 1);

    for (auto it = c.keys.cbegin(); it != c.keys.cend(); ++it) {
        const QVariant stored = SettingsStore::settingValue(it.key());
        if (accept)
            QCOMPARE(stored.toString(), it.value());
        else
            QVERIFY2(!stored.isValid(), qPrintable(it.key()));
    }
    QCOMPARE(c.applied(ProcessParams::current()), accept);
    if (!accept) {
        QVERIFY(!QFile::exists(AppPaths::settingsFile()));
        QCOMPARE(ProcessParams::current().backgroundColour, before.backgroundColour);
    }
}

void TestParameterDialogs::nothingOpensWithoutParameters()
{
    ActionSettingsOpener opener(nullptr);
    QSignalSpy opened(&opener, &ActionSettingsOpener::dialogOpened);
    QVERIFY(!opener.openFor(IMG_OPT_ROTATE_LEFT));
    QVERIFY(!opener.openFor(IMG_OPT_SIGN_PAGENO)); // toolbar only
    QVERIFY(!opener.openFor(999));
    QVERIFY(!opener.open(QModelIndex()));
    QCOMPARE(opened.count(), 0);
}

void TestParameterDialogs::marginEditsAreLive()
{
    ProcessParams::current().margins = {1, 2, 3, 4};
    ActionSettingsOpener opener(nullptr);
    QList<QVariantList> seen;
    connect(&opener, &ActionSettingsOpener::dialogOpened, this, [&](QDialog* dialog) {
        QCOMPARE(field<QSpinBox>(dialog, "spinBox_right")->value(), 4); // preset
        auto spy =
            std::make_shared<QSignalSpy>(dialog, SIGNAL(sigMarginChanged(int, int, int, int)));
        QTimer::singleShot(0, dialog, [&seen, dialog, spy] {
            setSpin(dialog, "spinBox_left", 25);
            seen = *spy;
            finish(dialog, false);
        });
    });
    QVERIFY(!opener.openFor(IMG_OPT_AREA_CLEAR));
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first(), (QVariantList{25, 1, 4, 2})); // left, top, right, bottom
    QCOMPARE(ProcessParams::current().margins.left, 3);
}

void TestParameterDialogs::pageFormatsLockAndCustomUnlocks()
{
    PageSizeSetDlg dialog;
    auto* combo = field<QComboBox>(&dialog, "comboBox_pageType");
    auto* width = field<QSpinBox>(&dialog, "spinBox_widthMM");
    auto* height = field<QSpinBox>(&dialog, "spinBox_heightMM");
    QCOMPARE(combo->currentText(), QString("A4"));
    QCOMPARE(combo->count(), 7);
    QCOMPARE(combo->itemText(5), QString("超A0"));
    QCOMPARE(combo->itemText(6), QString("自定义"));
    QVERIFY(width->isReadOnly());

    combo->setCurrentText("A3");
    QCOMPARE(width->value(), 420);
    QCOMPARE(height->value(), 297);
    QVERIFY(width->isReadOnly() && height->isReadOnly());
    combo->setCurrentText("自定义");
    QCOMPARE(width->value(), 420);
    QVERIFY(!width->isReadOnly() && !height->isReadOnly());
    width->setValue(333);
    QCOMPARE(dialog.pageSize().widthMM, 333);

    // A size chosen earlier comes back: as its format, or as custom numbers.
    ProcessParams::current().pageSize = {1292, 914};
    QCOMPARE(
        field<QComboBox>(&*std::make_unique<PageSizeSetDlg>(), "comboBox_pageType")->currentText(),
        QString("超A0"));
    ProcessParams::current().pageSize = {100, 150};
    PageSizeSetDlg custom;
    QCOMPARE(field<QComboBox>(&custom, "comboBox_pageType")->currentText(), QString("自定义"));
    QCOMPARE(custom.pageSize().heightMM, 150);
}

void TestParameterDialogs::colourPreviewLeavesCallerImage()
{
    ProcessParams::current().colour = {0, 1.26f, 1.0f};
    const cv::Mat page = colourPage();
    const cv::Mat before = page.clone();
    ImageColourSetDlg dialog(page);
    QCOMPARE(field<QSpinBox>(&dialog, "spinBox_contrast")->value(), 126);
    auto* label = field<QLabel>(&dialog, "label_preview");
    QCOMPARE(label->size(), QSize(210, 255));
    const QImage first = label->pixmap()->toImage();
    QVERIFY(!first.isNull());
    QVERIFY(first.width() <= 210 && first.height() <= 255);

    field<QSlider>(&dialog, "slider_brightness")->setValue(60);
    field<QSpinBox>(&dialog, "spinBox_saturation")->setValue(30);
    QCOMPARE(field<QSlider>(&dialog, "slider_saturation")->value(), 30);
    QVERIFY(label->pixmap()->toImage() != first);
    QCOMPARE(cv::norm(page, before, cv::NORM_INF), 0.0);

    // Back to the opening values: the preview is what it was, not compounded.
    field<QSlider>(&dialog, "slider_brightness")->setValue(0);
    field<QSlider>(&dialog, "slider_saturation")->setValue(100);
    QCOMPARE(label->pixmap()->toImage(), first);

    // No page open, and pages the adjustment leaves alone: nothing breaks.
    cv::Mat grey, alpha;
    cv::cvtColor(page, grey, cv::COLOR_BGR2GRAY);
    cv::cvtColor(page, alpha, cv::COLOR_BGR2BGRA);
    const cv::Mat deep(60, 40, CV_16UC3, cv::Scalar(1000, 2000, 3000));
    for (const cv::Mat& other : {cv::Mat(), grey, alpha, deep}) {
        const cv::Mat kept = other.clone();
        ImageColourSetDlg odd(other);
        field<QSlider>(&odd, "slider_brightness")->setValue(40);
        QCOMPARE(odd.colour().brightness, 40);
        if (!other.empty())
            QCOMPARE(cv::norm(other, kept, cv::NORM_INF), 0.0);
    }
}

void TestParameterDialogs::pageNumberModes()
{
    QCOMPARE(PageNoAreaSetDlg::modeFor(IMG_OPT_SIGN_PAGENO), 1);
    QCOMPARE(PageNoAreaSetDlg::modeFor(IMG_OPT_PAGENO_BATCH), 2);
    const char* const batchFields[] = {"spinBox_startNo", "spinBox_noLen", "checkBox_zeroFill",
                                       "edit_prefix", "edit_suffix"};

    PageNoAreaSetDlg single(PageNoAreaSetDlg::modeFor(IMG_OPT_SIGN_PAGENO));
    QCOMPARE(single.windowTitle(), QString("添加页码"));
    QVERIFY(!field<QWidget>(&single, "edit_inputNo")->isHidden());
    for (const char* name : batchFields)
        QVERIFY2(field<QWidget>(&single, name)->isHidden(), name);

    PageNoAreaSetDlg batch(PageNoAreaSetDlg::modeFor(IMG_OPT_PAGENO_BATCH));
    QCOMPARE(batch.windowTitle(), QString("批量添加页码"));
    QVERIFY(field<QWidget>(&batch, "edit_inputNo")->isHidden());
    for (const char* name : batchFields)
        QVERIFY2(!field<QWidget>(&batch, name)->isHidden(), name);
    QCOMPARE(field<QSpinBox>(&batch, "spinBox_margin_h")->value(), 15);
    QCOMPARE(field<QSpinBox>(&batch, "spinBox_fontSize")->minimum(), 5);
}

void TestParameterDialogs::numberText_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("zeroFill");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero fill") << 2 << 7 << 4 << true << ""
                               << "P0007S";
    QTest::newRow("no fill") << 2 << 7 << 4 << false << ""
                             << "P7S";
    QTest::newRow("longer than length") << 2 << 12345 << 3 << true << ""
                                        << "P12345S";
    QTest::newRow("single: as typed") << 1 << 7 << 4 << true << "12"
                                      << "P12S";
}

void TestParameterDialogs::numberText()
{
    QFETCH(int, mode);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, zeroFill);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    // Prefix and suffix come from the record, also in single mode where
    // their edits are hidden.
    stPageNoInfo info;
    info.prefix = "P";
    info.suffix = "S";
    ProcessParams::current().pageNo = info;
    PageNoAreaSetDlg dialog(mode);
    QSignalSpy format(&dialog, &PageNoAreaSetDlg::sigFormatChanged);
    if (mode == PageNoAreaSetDlg::BatchMode) {
        setSpin(&dialog, "spinBox_noLen", length);
        field<QCheckBox>(&dialog, "checkBox_zeroFill")->setChecked(zeroFill);
        setSpin(&dialog, "spinBox_startNo", start);
    } else {
        field<QLineEdit>(&dialog, "edit_inputNo")->setText(typed);
    }
    QVERIFY(!format.isEmpty());
    QCOMPARE(format.last().at(0).toString(), expected);
    QCOMPARE(dialog.numberText(), expected);
}

void TestParameterDialogs::areaRenamesMarginLabels_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("horizontal");
    QTest::addColumn<QString>("vertical");
    QTest::newRow("右上") << "右上"
                          << "右边距"
                          << "上边距";
    QTest::newRow("左上") << "左上"
                          << "左边距"
                          << "上边距";
    QTest::newRow("中上") << "中上"
                          << "右边距"
                          << "上边距";
    QTest::newRow("右下") << "右下"
                          << "右边距"
                          << "下边距";
    QTest::newRow("左下") << "左下"
                          << "左边距"
                          << "下边距";
    // Centred at the bottom keeps what the previous area (左上) gave.
    QTest::newRow("中下") << "中下"
                          << "左边距"
                          << "上边距";
}

void TestParameterDialogs::areaRenamesMarginLabels()
{
    QFETCH(QString, area);
    QFETCH(QString, horizontal);
    QFETCH(QString, vertical);
    PageNoAreaSetDlg dialog(PageNoAreaSetDlg::BatchMode);
    auto* combo = field<QComboBox>(&dialog, "combox_align");
    combo->setCurrentText("左上");
    QSignalSpy pos(&dialog, &PageNoAreaSetDlg::sigPosChanged);
    combo->setCurrentText(area);
    QCOMPARE(field<QLabel>(&dialog, "label_margin_h")->text(), horizontal);
    QCOMPARE(field<QLabel>(&dialog, "label_margin_v")->text(), vertical);
    if (area != "左上") {
        QCOMPARE(pos.count(), 1);
        QCOMPARE(pos.first(), (QVariantList{area, 15, 15}));
    }
}

void TestParameterDialogs::fontChangesAreAnnounced()
{
    PageNoAreaSetDlg dialog(PageNoAreaSetDlg::SingleMode);
    QSignalSpy font(&dialog, &PageNoAreaSetDlg::sigFontChanged);
    setSpin(&dialog, "spinBox_fontSize", 20);
    field<QCheckBox>(&dialog, "checkBox_bold")->setChecked(true);
    field<QCheckBox>(&dialog, "checkBox_deleteline")->setChecked(true);
    QCOMPARE(font.count(), 3);
    QCOMPARE(font.at(0), (QVariantList{2, QVariant(20)}));
    QCOMPARE(font.at(1), (QVariantList{3, QVariant(true)}));
    QCOMPARE(font.at(2), (QVariantList{6, QVariant(true)}));
    QCOMPARE(dialog.pageNoInfo().fontFamily, QString("黑体"));
}

QTEST_MAIN(TestParameterDialogs)
#include "tst_ParameterDialogs.moc"
