#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "CurrentImage.h"
#include "DispatcherEngine.h"
#include "EditTextItem.h"
#include "ImageConvert.h"
#include "ImageToolbar.h"
#include "OperationDispatcher.h"
#include "ProcessParams.h"
#include "ToolbarCommands.h"
#include "WaitingDlg.h"
#include "WorkspaceTestSupport.h"

#include <QComboBox>
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
    QString m_file;
    cv::Mat m_clipboard;
    int m_reopened = 0;
    std::unique_ptr<CurrentImage> m_image;
    std::unique_ptr<PageScene> m_scene;
    std::unique_ptr<GraphicsView> m_view;
    std::unique_ptr<QWidget> m_window;
    ToolbarCommands* m_commands = nullptr;

    void display()
    {
        const QImage full = ImageHelper::matToQImage(m_image->image());
        m_scene->setDisplayedImage(full.scaled(full.size() / 2));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        AppPaths::setBaseDirForTesting(m_dir.path());
        m_file = m_dir.filePath(QStringLiteral("案卷 一/0001.jpg"));
        QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    }

    void init()
    {
        QVERIFY(PageFile::saveWithDensity(whitePage(), m_file, kDpi, kDpi));
        ProcessParams::current() = ProcessParams();
        m_reopened = 0;
        m_image = std::make_unique<CurrentImage>();
        *m_image = CurrentImage(DispatcherEngine::forImage(m_image.get(), &m_clipboard));
        m_image->setSaveMode(CurrentImage::Manual);
        m_scene = std::make_unique<PageScene>();
        m_scene->addFixedItems(stPageNoInfo());
        m_view = std::make_unique<GraphicsView>();
        m_view->setScene(m_scene.get());
        m_window = std::make_unique<QWidget>();

        ToolbarCommands::Hooks hooks;
        hooks.window = m_window.get();
        hooks.image = m_image.get();
        hooks.scene = m_scene.get();
        hooks.view = m_view.get();
        hooks.clipboard = &m_clipboard;
        hooks.execute = [this](int id, bool run, const QVariant& param) {
            if (m_image->executeOperation(id, run, param))
                display();
        };
        hooks.reopen = [this]() {
            ++m_reopened;
            if (m_image->open(m_image->file()))
                display();
        };
        hooks.fileList = [this]() { return QStringList{m_file}; };
        m_commands = new ToolbarCommands(hooks, {}, m_window.get());
    }

    void cleanup()
    {
        m_window.reset();
        m_view.reset();
        m_scene.reset();
        m_image.reset();
    }

    void marginFrameNeedsAnOpenImage()
    {
        QToolButton* button = m_commands->toolbar()->marginButton();
        button->setChecked(true);
        m_commands->toggleMargins(true);
        QVERIFY(!button->isChecked());
        QVERIFY(!m_scene->marginItem()->isVisible());

        QVERIFY(m_image->open(m_file));
        display();
        m_commands->toggleMargins(true);
        QVERIFY(m_scene->marginItem()->isVisible());
        m_commands->previewMargins(10, 0, 0, 0); // 10 mm at 300 dpi, shown at half size
        QCOMPARE(m_scene->marginItem()->rect().left(), 59.0);
    }

    void resolutionChangeRewritesTheFileAndIsKept()
    {
        QVERIFY(m_image->open(m_file));
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
        const PageInfo info = PageFile::readInfo(m_file);
        QCOMPARE(info.dpiX, 150);
        QCOMPARE(info.dpiY, 200);
        QCOMPARE(m_image->resolution(m_file), (QPair<int, int>(150, 200)));
        QCOMPARE(m_reopened, 1);
    }

    void pageSizeRunsOnTheChosenMillimetres()
    {
        QVERIFY(m_image->open(m_file));
        whenModal([](QWidget* dialog) {
            dialog->findChild<QComboBox*>(QStringLiteral("comboBox_pageType"))
                ->setCurrentText(QStringLiteral("自定义"));
            dialog->findChild<QSpinBox*>(QStringLiteral("spinBox_widthMM"))->setValue(40);
            dialog->findChild<QSpinBox*>(QStringLiteral("spinBox_heightMM"))->setValue(20);
            accept(dialog);
            return true;
        });
        m_commands->changePageSize();
        // 40 x 20 mm at 300 dpi.
        QCOMPARE(QSize(m_image->image().cols, m_image->image().rows), QSize(472, 236));
        QCOMPARE(ProcessParams::current().pageSize.widthMM, 40);
    }

    void signedNumberIsWrittenInEverySaveMode()
    {
        QVERIFY(m_image->open(m_file));
        display();
        m_scene->pageNoItem()->setPos(150, 10);
        bool shownWhileEditing = false;
        whenModal([this, &shownWhileEditing](QWidget* dialog) {
            shownWhileEditing = m_scene->pageNoItem()->isVisible();
            dialog->findChild<QLineEdit*>(QStringLiteral("edit_inputNo"))
                ->setText(QStringLiteral("8"));
            accept(dialog);
            return true;
        });
        m_commands->signPageNumber();
        QVERIFY(shownWhileEditing);
        QCOMPARE(m_scene->pageNoItem()->toPlainText(), QStringLiteral("8"));
        QVERIFY(!m_scene->pageNoItem()->isVisible());
        QCOMPARE(m_reopened, 1);
        QCOMPARE(m_image->history().undoDepth(m_file), 1);
        QVERIFY(darkest(PageFile::loadForEdit(m_file)(cv::Rect(290, 0, 110, 100))) < 100);
    }

    void folderNumberingRunsInTheBackgroundAndReports()
    {
        QVERIFY(m_image->open(m_file));
        display();
        m_scene->pageNoItem()->setPos(150, 10);
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
        QVERIFY(darkest(m_image->image()(cv::Rect(290, 0, 110, 100))) < 100);
    }
};

QTEST_MAIN(TestToolbarCommands)
#include "tst_ToolbarCommands.moc"
