#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "ImageUnitView.h"
#include "ImageViewDlg.h"
#include "OperationId.h"
#include "RubberBandWidget.h"
#include "WorkspaceTestSupport.h"

#include <QAction>
#include <QFileSystemModel>
#include <QGraphicsPixmapItem>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <opencv2/imgproc.hpp>

namespace {
const QSize kPage(200, 280);
}

// The main window on a real data directory:
//   "01 卷宗": 0001.jpg, 0002.jpg and the empty sub-folder "空"
//   "02 卷宗": 0001.jpg, 0002.jpg
class MainWindowTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;

    QString folder(const char* relative) const
    {
        return m_data->path() + "/" + QString::fromUtf8(relative);
    }
    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    void openWindow(int saveMode = 2)
    {
        m_window = openMainWindow(m_data->path(), saveMode, folder("01 卷宗/0001.jpg"));
        QCOMPARE(m_window->currentFile(), folder("01 卷宗/0001.jpg"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        // A confirmed close must not end the test run.
        QApplication::setQuitOnLastWindowClosed(false);
        AppPaths::setBaseDirForTesting(m_base.path());
    }

    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(folder("01 卷宗/空")) && QDir().mkpath(folder("02 卷宗")));
        cv::Mat page(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(250, 250, 250));
        for (int y = 30; y < 250; y += 20)
            cv::rectangle(page, cv::Rect(20, y, 160, 6), cv::Scalar(30, 30, 30), cv::FILLED);
        for (const char* name :
             {"01 卷宗/0001.jpg", "01 卷宗/0002.jpg", "02 卷宗/0001.jpg", "02 卷宗/0002.jpg"})
            QVERIFY(PageFile::saveWithDensity(page, folder(name), 300, 300));
    }

    void cleanup() { m_window.reset(); }

    void startShowsTreeListAndPage()
    {
        openWindow();
        auto* tree = child<QTreeView>("tv_folder");
        QCOMPARE(tree->model()->rowCount(tree->rootIndex()), 2);
        QCOMPARE(child<QTableView>("tb_file")->model()->rowCount(), 2);
        QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 3);

        // The page really is on screen: the view's pixels are not one flat colour.
        GraphicsView* view = m_window->view();
        QImage shot = m_window->grab(QRect(view->mapTo(m_window.get(), QPoint()), view->size()))
                          .toImage()
                          .convertToFormat(QImage::Format_Grayscale8);
        double darkest = 0, lightest = 0;
        cv::minMaxLoc(
            cv::Mat(shot.height(), shot.width(), CV_8UC1, shot.bits(), shot.bytesPerLine()),
            &darkest, &lightest);
        QVERIFY2(lightest - darkest > 100,
                 qPrintable(QString("%1..%2").arg(darkest).arg(lightest)));
    }

    void emptyFolderShowsNothing()
    {
        openWindow();
        auto* tree = child<QTreeView>("tv_folder");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        tree->setCurrentIndex(model->index(folder("01 卷宗/空")));
        QCOMPARE(m_window->currentFolder(), folder("01 卷宗/空"));
        QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 1);
        QVERIFY(m_window->scene()->imageItem()->pixmap().isNull());
        QCOMPARE(m_window->currentFile(), QString());
    }

    void pageTurnsCrossFoldersAndStopAtTheEnd()
    {
        openWindow();
        m_window->previousPage(); // first row: nothing
        QCOMPARE(m_window->currentFile(), folder("01 卷宗/0001.jpg"));
        for (const char* page :
             {"01 卷宗/0002.jpg", "02 卷宗/0001.jpg", "02 卷宗/0002.jpg", "02 卷宗/0002.jpg"}) {
            m_window->nextPage();
            QCOMPARE(m_window->currentFile(), folder(page));
        }
    }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("cancelled") << int(QMessageBox::Cancel) << true;
        QTest::newRow("confirmed") << int(QMessageBox::Ok) << false;
    }
    void closeQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, staysOpen);
        openWindow(2);
        const QString page = m_window->currentFile();
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        whenModal([answer](QWidget* box) {
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::StandardButton(answer))->click();
            return true;
        });
        child<QPushButton>("btn_close")->click();
        QCOMPARE(m_window->isVisible(), staysOpen);
        // Quitting leaves the page: in the save-on-turn mode its edit is kept.
        QCOMPARE(sizeOnDisk(page), staysOpen ? kPage : kPage.transposed());
    }

    void convertOpensTheConversionTool()
    {
        // The tool may replace the open page's file: an edit kept for the page
        // turn reaches the disk first.
        openWindow(2);
        const QSize before = QImage(folder("01 卷宗/0001.jpg")).size();
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        auto* action = child<QAction>("action_convert");
        QVERIFY(action->isEnabled());
        QString title;
        whenModal([&title](QWidget* modal) {
            if (modal->objectName() != "ImageConvertDlg")
                return false;
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
            return true;
        });
        action->trigger();
        QCOMPARE(title, QStringLiteral("影像转换工具"));
        QCOMPARE(QImage(folder("01 卷宗/0001.jpg")).size(), before.transposed());
        // Reopened from disk: nothing left to write again on the next turn.
        QVERIFY(!m_window->currentImage().hasUnsavedChanges());
    }

    void previewTakesTheCentreAndOpensAPage()
    {
        openWindow();
        auto* toggle = child<QToolButton>("btn_file_view");
        auto* preview = child<ImageViewDlg>("ImageViewDlg");
        toggle->click();
        QVERIFY(!preview->isHidden() && child<QWidget>("widget_center")->isHidden());
        const QList<ImageUnitView*> units = preview->sheet()->units();
        QVERIFY(units.at(0)->isOpen() && !units.at(1)->isOpen());

        // A double click opens the page in the main view, which comes back.
        QTest::mouseDClick(units.at(1)->findChild<QLabel*>("label_image"), Qt::LeftButton);
        QVERIFY(preview->isHidden() && !child<QWidget>("widget_center")->isHidden());
        QCOMPARE(m_window->currentFile(), folder("01 卷宗/0002.jpg"));
        toggle->click();
        QVERIFY(preview->sheet()->units().at(1)->isOpen());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
