#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "EditTextItem.h"
#include "ImageToolbar.h"
#include "OperationId.h"
#include "ProcessParams.h"
#include "ToolbarCommands.h"
#include "WaitingDlg.h"
#include "WorkspaceTestSupport.h"

#include <QDialogButtonBox>
#include <QGraphicsRectItem>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kDpi = 300;

cv::Mat whitePage()
{
    cv::Mat page(300, 400, CV_8UC3, cv::Scalar(240, 240, 240));
    cv::rectangle(page, cv::Rect(40, 40, 100, 20), cv::Scalar(30, 60, 90), cv::FILLED);
    return page;
}

void accept(QWidget* dialog)
{
    auto* box = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    box->button(QDialogButtonBox::Ok)->click();
}

} // namespace

class TestToolbarCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_reopened = 0;
    std::unique_ptr<EditBench> b;
    std::unique_ptr<QWidget> m_window;
    ToolbarCommands* m_commands = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        AppPaths::setBaseDirForTesting(m_dir.path());
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("案卷 一")));
    }

    void init()
    {
        ProcessParams::current() = ProcessParams();
        m_reopened = 0;
        b = std::make_unique<EditBench>(m_dir.filePath(QStringLiteral("案卷 一/0001.jpg")),
                                        whitePage(), kDpi);
        m_window = std::make_unique<QWidget>();

        ToolbarCommands::Hooks hooks;
        hooks.window = m_window.get();
        hooks.image = &b->image;
        hooks.scene = &b->scene;
        hooks.view = &b->view;
        hooks.clipboard = &b->clipboard;
        hooks.execute = [this](int id, bool run, const QVariant& param) {
            b->execute(id, run, param);
        };
        hooks.reopen = [this]() {
            ++m_reopened;
            b->open();
        };
        hooks.fileList = [this]() { return QStringList{b->file}; };
        m_commands = new ToolbarCommands(hooks, {}, m_window.get());
    }

    void cleanup()
    {
        m_window.reset();
        b.reset();
    }

    void marginFrameNeedsAnOpenImage()
    {
        QToolButton* button = m_commands->toolbar()->marginButton();
        button->setChecked(true);
        m_commands->toggleMargins(true);
        QVERIFY(!button->isChecked());
        QVERIFY(!b->scene.marginItem()->isVisible());
    }

    void resolutionChangeRewritesTheFileAndIsKept()
    {
        QVERIFY(b->open());
        int preset = 0;
        whenModal([&preset](QWidget* dialog) {
            preset = dialog->findChild<QSpinBox*>(QStringLiteral("spinBoxDpiX"))->value();
            dialog->findChild<QSpinBox*>(QStringLiteral("spinBoxDpiX"))->setValue(150);
            dialog->findChild<QSpinBox*>(QStringLiteral("spinBoxDpiY"))->setValue(200);
            accept(dialog);
            return true;
        });
        m_commands->changeDpi();
        QCOMPARE(preset, kDpi);
        const PageInfo info = PageFile::readInfo(b->file);
        QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(150, 200));
        QCOMPARE(b->image.resolution(b->file), (QPair<int, int>(150, 200)));
        QCOMPARE(m_reopened, 1);
    }

    void signedNumberIsWrittenInEverySaveMode()
    {
        QVERIFY(b->open());
        b->scene.pageNoItem()->setPos(150, 10);
        bool shownWhileEditing = false;
        whenModal([this, &shownWhileEditing](QWidget* dialog) {
            shownWhileEditing = b->scene.pageNoItem()->isVisible();
            dialog->findChild<QLineEdit*>(QStringLiteral("edit_inputNo"))
                ->setText(QStringLiteral("8"));
            accept(dialog);
            return true;
        });
        m_commands->signPageNumber();
        QVERIFY(shownWhileEditing);
        QCOMPARE(b->scene.pageNoItem()->toPlainText(), QStringLiteral("8"));
        QVERIFY(!b->scene.pageNoItem()->isVisible());
        QCOMPARE(m_reopened, 1);
        QCOMPARE(b->undoSteps(), 1);
        QVERIFY(darkest(PageFile::loadForEdit(b->file)(cv::Rect(290, 0, 110, 100))) < 100);
    }

    void folderNumberingRunsInTheBackgroundAndReports_data()
    {
        QTest::addColumn<bool>("pendingEditOnTurn");
        QTest::newRow("manual, nothing pending") << false;
        // The edit is written first; the reopen must not write it over the number.
        QTest::newRow("save on turn, edit pending") << true;
    }
    void folderNumberingRunsInTheBackgroundAndReports()
    {
        QFETCH(bool, pendingEditOnTurn);
        QVERIFY(b->open());
        if (pendingEditOnTurn) {
            b->image.setSaveMode(CurrentImage::OnPageTurn);
            b->execute(IMG_OPT_ROTATE_180, true, QVariant());
        }
        b->scene.pageNoItem()->setPos(150, 10);
        bool reported = false;
        whenModal([&reported](QWidget* dialog) {
            if (qobject_cast<WaitingDlg*>(dialog))
                return false;
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                reported = box->text() == QStringLiteral("页码添加完成");
                box->accept();
                return true;
            }
            if (dialog->windowTitle() == QStringLiteral("批量添加页码")) {
                dialog->findChild<QLineEdit*>(QStringLiteral("edit_prefix"))
                    ->setText(QStringLiteral("P"));
                accept(dialog);
            }
            return false;
        });
        m_commands->numberAllPages();
        QVERIFY(reported);
        QCOMPARE(ProcessParams::current().pageNo.prefix, QStringLiteral("P"));
        QCOMPARE(m_reopened, 1);
        QVERIFY(darkest(b->image.image()(cv::Rect(290, 0, 110, 100))) < 100);
        QVERIFY(darkest(PageFile::loadForEdit(b->file)(cv::Rect(290, 0, 110, 100))) < 100);
    }
};

QTEST_MAIN(TestToolbarCommands)
#include "tst_ToolbarCommands.moc"
