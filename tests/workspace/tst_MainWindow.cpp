#include "../app/ModalDriver.h"
#include "AppPaths.h"
#include "ImageUnitView.h"
#include "ImageViewDlg.h"
#include "OperationId.h"
#include "RubberBandWidget.h"
#include "WorkspaceTestSupport.h"

#include <Magick++.h>
#include <QAction>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QFileSystemModel>
#include <QGraphicsPixmapItem>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <opencv2/core/version.hpp>
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
        QCOMPARE(child<QLabel>("lb_page_cnt")->text(), QStringLiteral("2"));
        QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 3);
        QVERIFY(!child<QDockWidget>("dockWidget")->isVisible());

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
        QCOMPARE(child<QLabel>("lb_page_cnt")->text(), QStringLiteral("0"));
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

    void shortcutDockTogglesBack()
    {
        openWindow();
        auto* action = child<QAction>("action_view_shortcut");
        auto* dock = child<QDockWidget>("dockWidget");
        action->trigger();
        QVERIFY(dock->isVisible() && action->isChecked());
        action->trigger();
        QVERIFY(!dock->isVisible() && !action->isChecked());
    }

    void leftPanelCommandsAreOffered()
    {
        openWindow();
        for (const char* name :
             {"btn_folder_refresh", "btn_folder_new", "btn_folder_rename", "btn_folder_del",
              "btn_rootpath", "btn_folder_open", "btn_file_rename", "btn_file_replacename",
              "btn_file_del"})
            QVERIFY2(child<QToolButton>(name)->isEnabled(), name);
        auto* files = child<QTableView>("tb_file");
        QSignalSpy requested(files, &QWidget::customContextMenuRequested);
        const QPoint at = files->visualRect(files->model()->index(0, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, files->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(files->viewport(), &event);
        QCOMPARE(requested.count(), 1);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 8);
        menu->close();
        // 新建文件夹 carries the batch entry in its menu.
        QMenu* folderMenu = child<QToolButton>("btn_folder_new")->menu();
        QVERIFY(folderMenu);
        QCOMPARE(folderMenu->actions().first()->text(), QStringLiteral("批量添加文件夹"));
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
        QVERIFY(toggle->isEnabled() && toggle->isCheckable() && !toggle->isChecked());
        auto* preview = child<ImageViewDlg>("ImageViewDlg");
        QVERIFY(preview->isHidden());
        toggle->click();
        QVERIFY(!preview->isHidden());
        QVERIFY(child<QWidget>("widget_center")->isHidden());
        QVERIFY(child<QWidget>("widget_right")->isHidden());
        const QList<ImageUnitView*> units = preview->sheet()->units();
        QCOMPARE(units.size(), 2);
        QVERIFY(units.at(0)->isOpen() && !units.at(1)->isOpen());

        // A double click opens the page in the main view, which comes back.
        QTest::mouseDClick(units.at(1)->findChild<QLabel*>("label_image"), Qt::LeftButton);
        QVERIFY(!toggle->isChecked());
        QVERIFY(preview->isHidden());
        QVERIFY(!child<QWidget>("widget_center")->isHidden());
        QVERIFY(!child<QWidget>("widget_right")->isHidden());
        QCOMPARE(m_window->currentFile(), folder("01 卷宗/0002.jpg"));
        toggle->click();
        QVERIFY(preview->sheet()->units().at(1)->isOpen());
    }

    void previewDeletesTheOpenPage()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.filePath("share")));
        openWindow();
        child<QToolButton>("btn_file_view")->click();
        auto* preview = child<ImageViewDlg>("ImageViewDlg");
        preview->sheet()->units().at(0)->setChecked(true);
        whenModal([](QWidget* box) {
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
            return true;
        });
        preview->findChild<QPushButton*>("btn_del")->click();
        QVERIFY(!QFile::exists(folder("01 卷宗/0001.jpg")));
        QVERIFY(QFile::exists(data.filePath("share/Trash/files/0001.jpg")));
        QCOMPARE(preview->sheet()->units().size(), 1);
        QCOMPARE(child<QTableView>("tb_file")->model()->rowCount(), 1);
        QCOMPARE(m_window->currentFile(), folder("01 卷宗/0002.jpg"));
        qunsetenv("XDG_DATA_HOME");
    }

    void statisticsOpensTheStatisticsTool()
    {
        openWindow();
        auto* action = child<QAction>("action_statistics");
        QVERIFY(action->isEnabled());
        QString title;
        whenModal([&title](QWidget* modal) {
            if (modal->objectName() != "StatisticsDlg")
                return false;
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
            return true;
        });
        action->trigger();
        QCOMPARE(title, QStringLiteral("统计工具"));
    }

    void aboutShowsVersionsAndWhereFilesAre()
    {
        openWindow();
        QMap<QString, QString> texts;
        whenModal([&texts](QWidget* modal) {
            if (modal->objectName() != "AboutDlg")
                return false;
            for (QLabel* label : modal->findChildren<QLabel*>())
                texts.insert(label->objectName(), label->text());
            modal->findChild<QAbstractButton*>("btn_ok")->click();
            return true;
        });
        child<QAction>("ac_about_us")->trigger();
        QCOMPARE(texts["lb_version"], QStringLiteral("版本：1.1.1"));
        QCOMPARE(texts["lb_qt_version"], QString(qVersion()));
        QCOMPARE(texts["lb_opencv_version"], QString(CV_VERSION));
        QVERIFY(texts["lb_magick_version"].startsWith("ImageMagick " MagickLibVersionText));
        QCOMPARE(texts["lb_settings_file"], m_base.filePath("settings.ini"));
        QCOMPARE(texts["lb_log_dir"], m_base.filePath("log"));
        QCOMPARE(texts["lb_data_dir"], m_data->path());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
