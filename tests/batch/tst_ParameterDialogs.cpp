// Parameter dialogs and the opener behind the batch rows' settings buttons:
// values reach the settings and the process-wide parameters only when a
// dialog is accepted.
#include "ActionSettingsOpener.h"
#include "ActionTableModel.h"
#include "AppPaths.h"
#include "BatchTestPages.h"
#include "ImageColourSetDlg.h"
#include "OperationId.h"
#include "PageMarginSetDlg.h"
#include "PageNoAreaSetDlg.h"
#include "PageSizeSetDlg.h"
#include "ProcessParams.h"
#include "SettingsStore.h"

#include <QtTest>
#include <QtWidgets>
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
    if (auto* button = dialog->findChild<QPushButton*>(accept ? "btn_save" : "btn_cancel"))
        button->click();
    else if (auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox"))
        box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    else
        accept ? dialog->accept() : dialog->reject();
}

// Fills in the dialog of cmd; returns the settings its acceptance must store.
QMap<QString, QString> fillIn(QDialog* d, int cmd)
{
    if (cmd == IMG_OPT_BGCOLOR_ADJUST) {
        qobject_cast<QColorDialog*>(d)->setCurrentColor(QColor(10, 20, 30));
        return {{"image/background-color", "10,20,30"}};
    }
    if (cmd == IMG_OPT_COLOUR_ADJUST) {
        setSpin(d, "spinBox_brightness", 20);
        setSpin(d, "spinBox_contrast", 150);
        return {{"colour/brightness", "20"}, {"colour/contrast", "1.50"}};
    }
    setSpin(d, "spinBox_startNo", 7);
    field<QLineEdit>(d, "edit_prefix")->setText("卷");
    field<QComboBox>(d, "combox_align")->setCurrentText("左下");
    // The font was not touched: the stored family stays, even where it is not installed.
    return {{"pageno/no-start", "7"},
            {"pageno/prefix", "卷"},
            {"pageno/area", "左下"},
            {"pageno/font-family", "黑体"}};
}

bool appliedFor(int cmd, const ProcessParams& p)
{
    if (cmd == IMG_OPT_BGCOLOR_ADJUST)
        return p.backgroundColour == QColor(10, 20, 30);
    if (cmd == IMG_OPT_COLOUR_ADJUST)
        return p.colour.brightness == 20 && qFuzzyCompare(p.colour.contrast, 1.5f);
    return p.pageNo.startNo == 7 && p.pageNo.prefix == "卷" && p.pageNo.area == "左下";
}

cv::Mat colourPage()
{
    return BatchTestPages::page(80, 120);
}

} // namespace

class TestParameterDialogs : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qRegisterMetaType<QDialog*>();
        AppPaths::setBaseDirForTesting(m_dir->path());
        SettingsStore::loadSettings();
        ProcessParams::current().backgroundColour = QColor(255, 255, 255);
    }

    void cleanup()
    {
        AppPaths::setBaseDirForTesting(QString());
        m_dir.reset();
    }

    void acceptStoresCancelKeeps_data()
    {
        QTest::addColumn<int>("cmd");
        QTest::addColumn<bool>("accept");
        for (int cmd : {IMG_OPT_PAGENO_BATCH, IMG_OPT_BGCOLOR_ADJUST, IMG_OPT_COLOUR_ADJUST}) {
            QTest::addRow("%d accepted", cmd) << cmd << true;
            QTest::addRow("%d cancelled", cmd) << cmd << false;
        }
    }

    void acceptStoresCancelKeeps()
    {
        QFETCH(int, cmd);
        QFETCH(bool, accept);
        ActionSettingsOpener opener(nullptr);
        opener.setImageProvider(colourPage);
        QMap<QString, QString> keys;
        connect(&opener, &ActionSettingsOpener::dialogOpened, this, [&](QDialog* dialog, int id) {
            QCOMPARE(id, cmd);
            QTimer::singleShot(0, dialog, [&, dialog] {
                keys = fillIn(dialog, cmd);
                finish(dialog, accept);
            });
        });
        // Through the model, as the settings button's index arrives.
        ActionTableModel model;
        stActionData row;
        row.actionCmd = cmd;
        model.setActions({row});
        QCOMPARE(opener.open(model.index(0, 2)), accept);
        QVERIFY(!keys.isEmpty());
        for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
            const QVariant stored = SettingsStore::settingValue(it.key());
            QCOMPARE(stored.isValid() ? stored.toString() : QString(),
                     accept ? it.value() : QString());
        }
        QCOMPARE(appliedFor(cmd, ProcessParams::current()), accept);
        QCOMPARE(QFile::exists(AppPaths::settingsFile()), accept);
    }

    void nothingOpensWithoutParameters()
    {
        ActionSettingsOpener opener(nullptr);
        QSignalSpy opened(&opener, &ActionSettingsOpener::dialogOpened);
        QVERIFY(!opener.openFor(IMG_OPT_ROTATE_LEFT));
        QVERIFY(!opener.openFor(IMG_OPT_SIGN_PAGENO)); // toolbar only
        QVERIFY(!opener.open(QModelIndex()));
        QCOMPARE(opened.count(), 0);
    }

    // Margins are drawn on the page while they are edited.
    void marginEditsAreLive()
    {
        ProcessParams::current().margins = {1, 2, 3, 4};
        PageMarginSetDlg dialog;
        QCOMPARE(field<QSpinBox>(&dialog, "spinBox_right")->value(), 4); // preset
        QSignalSpy margins(&dialog, &PageMarginSetDlg::sigMarginChanged);
        setSpin(&dialog, "spinBox_left", 25);
        QCOMPARE(margins.count(), 1);
        QCOMPARE(margins.first(), (QVariantList{25, 1, 4, 2})); // left, top, right, bottom
    }

    // A size chosen earlier that is no format comes back as custom numbers.
    void unknownPageSizeIsCustom()
    {
        ProcessParams::current().pageSize = {100, 150};
        PageSizeSetDlg custom;
        QCOMPARE(field<QComboBox>(&custom, "comboBox_pageType")->currentText(), QString("自定义"));
        QCOMPARE(custom.pageSize().heightMM, 150);
    }

    void colourPreviewLeavesCallerImage()
    {
        ProcessParams::current().colour = {0, 1.26f, 1.0f};
        const cv::Mat page = colourPage();
        const cv::Mat before = page.clone();
        ImageColourSetDlg dialog(page);
        QCOMPARE(field<QSpinBox>(&dialog, "spinBox_contrast")->value(), 126);
        auto* label = field<QLabel>(&dialog, "label_preview");
        const QImage first = label->pixmap(Qt::ReturnByValue).toImage();
        QVERIFY(!first.isNull());
        field<QSlider>(&dialog, "slider_brightness")->setValue(60);
        field<QSpinBox>(&dialog, "spinBox_saturation")->setValue(30);
        QVERIFY(label->pixmap(Qt::ReturnByValue).toImage() != first);
        QCOMPARE(cv::norm(page, before, cv::NORM_INF), 0.0);
        // Back to the opening values: the preview is what it was, not compounded.
        field<QSlider>(&dialog, "slider_brightness")->setValue(0);
        field<QSlider>(&dialog, "slider_saturation")->setValue(100);
        QCOMPARE(label->pixmap(Qt::ReturnByValue).toImage(), first);

        // No page open, and a grey page the adjustment leaves alone: nothing breaks.
        cv::Mat grey;
        cv::cvtColor(page, grey, cv::COLOR_BGR2GRAY);
        for (const cv::Mat& other : {cv::Mat(), grey}) {
            const cv::Mat kept = other.clone();
            ImageColourSetDlg odd(other);
            field<QSlider>(&odd, "slider_brightness")->setValue(40);
            QCOMPARE(odd.colour().brightness, 40);
            QVERIFY(other.empty() || cv::norm(other, kept, cv::NORM_INF) == 0.0);
        }
    }

    void numberText_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("zeroFill");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero fill") << 2 << 7 << true << "P0007S";
        QTest::newRow("longer than length") << 2 << 12345 << true << "P12345S";
        QTest::newRow("single: as typed") << 1 << 12 << true << "P12S";
    }

    void numberText()
    {
        QFETCH(int, mode);
        QFETCH(int, start);
        QFETCH(bool, zeroFill);
        // Prefix and suffix come from the record, also in single mode where
        // their edits are hidden.
        ProcessParams::current().pageNo.prefix = "P";
        ProcessParams::current().pageNo.suffix = "S";
        PageNoAreaSetDlg dialog(mode);
        QSignalSpy format(&dialog, &PageNoAreaSetDlg::sigFormatChanged);
        if (mode == PageNoAreaSetDlg::BatchMode) {
            setSpin(&dialog, "spinBox_noLen", 4);
            field<QCheckBox>(&dialog, "checkBox_zeroFill")->setChecked(zeroFill);
            setSpin(&dialog, "spinBox_startNo", start);
        } else {
            field<QLineEdit>(&dialog, "edit_inputNo")->setText(QString::number(start));
        }
        QVERIFY(!format.isEmpty());
        QTEST(format.last().at(0).toString(), "expected");
        QTEST(dialog.numberText(), "expected");
    }
};

QTEST_MAIN(TestParameterDialogs)
#include "tst_ParameterDialogs.moc"
