#include "AppPaths.h"
#include "GraphicsView.h"
#include "MainWindow.h"
#include "OperationId.h"
#include "PageFile.h"
#include "PageInfo.h"
#include "PageScene.h"
#include "SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileSystemModel>
#include <QGraphicsPixmapItem>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>
#include <opencv2/imgproc.hpp>

namespace {

const QSize kPage(200, 280);

void writePage(const QString& path)
{
    cv::Mat page(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(250, 250, 250));
    for (int y = 30; y < 250; y += 20)
        cv::rectangle(page, cv::Rect(20, y, 160, 6), cv::Scalar(30, 30, 30), cv::FILLED);
    cv::circle(page, cv::Point(150, 240), 25, cv::Scalar(40, 40, 210), 4); // a red seal
    QVERIFY(PageFile::saveWithDensity(page, path, 300, 300));
}

QSize sizeOnDisk(const QString& path)
{
    const PageInfo info = PageFile::readInfo(path);
    return QSize(info.width, info.height);
}

// Answers the next message box that comes up with the given button.
void answerNextBox(QMessageBox::StandardButton answer)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        box->button(answer)->click();
    });
    timer->start(20);
}

} // namespace

// The main window on a real data directory:
//   "01 卷宗": 0001.jpg, 0002.jpg and the sub-folders "空" (empty) and "坏" (a zero-byte page)
//   "02 卷宗": 0001.jpg, 0002.jpg
class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startShowsTreeListAndPage();
    void emptyFolderShowsNothing();
    void clickingFolderOpensItsFirstPage();
    void pageTurnsCrossFoldersAndStopAtTheEnd();
    void saveModeDecidesWhenEditsReachDisk_data();
    void saveModeDecidesWhenEditsReachDisk();
    void damagedPageOpensNothingAndWritesNothing();
    void oneKeyUndoRestoresOriginals();
    void closeQuestion_data();
    void closeQuestion();
    void shortcutDockTogglesBack();

private:
    void openWindow(int saveMode = 2);
    QString folder(const QString& relative) const { return m_data->path() + "/" + relative; }
    QModelIndex treeIndex(const QString& relative) const;
    template <typename T> T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::initTestCase()
{
    QVERIFY(m_base.isValid());
    // A confirmed close must not end the test run.
    QApplication::setQuitOnLastWindowClosed(false);
    AppPaths::setBaseDirForTesting(m_base.path());
}

void MainWindowTest::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid());
    for (const char* dir : {"01 卷宗/空", "01 卷宗/坏", "02 卷宗"})
        QVERIFY(QDir().mkpath(folder(QString::fromUtf8(dir))));
    for (const char* page :
         {"01 卷宗/0001.jpg", "01 卷宗/0002.jpg", "02 卷宗/0001.jpg", "02 卷宗/0002.jpg"})
        writePage(folder(QString::fromUtf8(page)));
    QFile broken(folder(QStringLiteral("01 卷宗/坏/0001.jpg")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    SettingsStore::setSettingValue(SettingsStore::kRootPath, m_data->path());
}

void MainWindowTest::cleanup()
{
    m_window.reset();
}

void MainWindowTest::openWindow(int saveMode)
{
    SettingsStore::setSettingValue(SettingsStore::kSaveMode, saveMode);
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1315, 750);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The tree lists the data directory in the background, then opens its first folder.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->currentFile(), folder(QStringLiteral("01 卷宗/0001.jpg")),
                              10000);
}

QModelIndex MainWindowTest::treeIndex(const QString& relative) const
{
    auto* model = qobject_cast<QFileSystemModel*>(child<QTreeView>("tv_folder")->model());
    return model->index(folder(relative));
}

void MainWindowTest::startShowsTreeListAndPage()
{
    openWindow();
    auto* tree = child<QTreeView>("tv_folder");
    QCOMPARE(tree->model()->rowCount(tree->rootIndex()), 2);
    QCOMPARE(child<QTableView>("tb_file")->model()->rowCount(), 2);
    QCOMPARE(child<QLabel>("lb_page_cnt")->text(), QStringLiteral("2"));
    QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 3);
    QVERIFY(!m_window->scene()->imageItem()->pixmap().isNull());
    QCOMPARE(child<QLabel>("lb_status_size")->text(), QStringLiteral("大小：200x280"));
    QCOMPARE(child<QLabel>("lb_status_dpi")->text(), QStringLiteral("dpi：300x300"));
    QCOMPARE(child<QLabel>("lb_status_colour")->text(), QStringLiteral("彩色 24位"));
    QCOMPARE(child<QLabel>("lb_status_path")->text(), m_window->currentFile());

    // The shell as a newcomer sees it.
    QVERIFY(!child<QPushButton>("btn_mode_qc")->isVisible());
    QVERIFY(!child<QDockWidget>("dockWidget")->isVisible());
    auto* tabs = child<QTabWidget>("widget_right");
    QCOMPARE(tabs->count(), 2);
    QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);

    // The page really is on screen: the view's pixels are not one flat colour.
    const QImage shot = m_window->grab().toImage();
    const QRect area(m_window->view()->mapTo(m_window.get(), QPoint(0, 0)),
                     m_window->view()->size());
    int darkest = 255;
    int lightest = 0;
    for (int y = area.top(); y < area.bottom(); y += 3) {
        for (int x = area.left(); x < area.right(); x += 3) {
            const int grey = qGray(shot.pixel(x, y));
            darkest = qMin(darkest, grey);
            lightest = qMax(lightest, grey);
        }
    }
    QVERIFY2(lightest - darkest > 100, qPrintable(QString("%1..%2").arg(darkest).arg(lightest)));
}

void MainWindowTest::emptyFolderShowsNothing()
{
    openWindow();
    child<QTreeView>("tv_folder")->setCurrentIndex(treeIndex(QStringLiteral("01 卷宗/空")));
    QCOMPARE(m_window->currentFolder(), folder(QStringLiteral("01 卷宗/空")));
    QCOMPARE(child<QLabel>("lb_page_cnt")->text(), QStringLiteral("0"));
    QCOMPARE(child<QSpinBox>("spinbox_code_next")->value(), 1);
    QVERIFY(m_window->scene()->imageItem()->pixmap().isNull());
    QCOMPARE(m_window->currentFile(), QString());
    QVERIFY(child<QLabel>("lb_status_size")->text().isEmpty());
}

void MainWindowTest::clickingFolderOpensItsFirstPage()
{
    openWindow();
    auto* tree = child<QTreeView>("tv_folder");
    const QModelIndex second = treeIndex(QStringLiteral("02 卷宗"));
    QTRY_VERIFY(tree->visualRect(second).isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(second).center());
    QCOMPARE(m_window->currentFolder(), folder(QStringLiteral("02 卷宗")));
    QCOMPARE(child<QTableView>("tb_file")->model()->rowCount(), 2);
    QCOMPARE(m_window->currentFile(), folder(QStringLiteral("02 卷宗/0001.jpg")));
}

void MainWindowTest::pageTurnsCrossFoldersAndStopAtTheEnd()
{
    openWindow();
    m_window->previousPage(); // first row: nothing
    QCOMPARE(m_window->currentFile(), folder(QStringLiteral("01 卷宗/0001.jpg")));
    const char* expected[] = {"01 卷宗/0002.jpg", "02 卷宗/0001.jpg", "02 卷宗/0002.jpg",
                              "02 卷宗/0002.jpg"};
    for (const char* page : expected) {
        m_window->nextPage();
        QCOMPARE(m_window->currentFile(), folder(QString::fromUtf8(page)));
    }
    QCOMPARE(m_window->currentFolder(), folder(QStringLiteral("02 卷宗")));
    m_window->previousPage();
    QCOMPARE(m_window->currentFile(), folder(QStringLiteral("02 卷宗/0001.jpg")));
}

void MainWindowTest::saveModeDecidesWhenEditsReachDisk_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("writtenAtOnce");
    QTest::addColumn<bool>("writtenOnTurn");
    QTest::newRow("fully automatic") << 1 << true << true;
    QTest::newRow("on page turn") << 2 << false << true;
    QTest::newRow("other value acts as page turn") << 7 << false << true;
    QTest::newRow("manual") << 3 << false << false;
}

void MainWindowTest::saveModeDecidesWhenEditsReachDisk()
{
    QFETCH(int, mode);
    QFETCH(bool, writtenAtOnce);
    QFETCH(bool, writtenOnTurn);
    openWindow(mode);
    const QString page = m_window->currentFile();
    const QSize turned = kPage.transposed();
    m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
    QCOMPARE(child<QLabel>("lb_status_size")->text(), QStringLiteral("大小：280x200"));
    QCOMPARE(sizeOnDisk(page), writtenAtOnce ? turned : kPage);
    m_window->nextPage();
    QCOMPARE(sizeOnDisk(page), writtenOnTurn ? turned : kPage);
    QCOMPARE(PageFile::readInfo(page).dpiX, 300);
}

void MainWindowTest::damagedPageOpensNothingAndWritesNothing()
{
    openWindow(1);
    child<QTreeView>("tv_folder")->setCurrentIndex(treeIndex(QStringLiteral("01 卷宗/坏")));
    const QString broken = folder(QStringLiteral("01 卷宗/坏/0001.jpg"));
    QCOMPARE(m_window->currentFile(), broken);
    QVERIFY(m_window->scene()->imageItem()->pixmap().isNull());
    m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
    m_window->save();
    QCOMPARE(QFileInfo(broken).size(), 0);
}

void MainWindowTest::oneKeyUndoRestoresOriginals()
{
    openWindow(3);
    const QString first = m_window->currentFile();
    m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
    m_window->save();
    m_window->nextPage();
    const QString second = m_window->currentFile();
    m_window->executeOperation(IMG_OPT_ROTATE_RIGHT, true, QVariant());
    m_window->save();
    QCOMPARE(sizeOnDisk(second), kPage.transposed());

    answerNextBox(QMessageBox::Ok);
    m_window->undoFolder();
    QCOMPARE(sizeOnDisk(first), kPage);
    QCOMPARE(sizeOnDisk(second), kPage);
    QCOMPARE(m_window->currentFile(), second);
    QCOMPARE(child<QLabel>("lb_status_size")->text(), QStringLiteral("大小：200x280"));
    // The undo list is kept as it was; redo is emptied.
    QVERIFY(m_window->currentImage().canUndo());
    QVERIFY(!m_window->currentImage().canRedo());
}

void MainWindowTest::closeQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("cancelled") << int(QMessageBox::Cancel) << true;
    QTest::newRow("confirmed") << int(QMessageBox::Ok) << false;
}

void MainWindowTest::closeQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, staysOpen);
    openWindow(2);
    const QString page = m_window->currentFile();
    m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
    answerNextBox(QMessageBox::StandardButton(answer));
    child<QPushButton>("btn_close")->click();
    QCOMPARE(m_window->isVisible(), staysOpen);
    QCOMPARE(m_window->currentFile(), page);
    // Quitting leaves the page: in the save-on-turn mode its edit is kept.
    QCOMPARE(sizeOnDisk(page), staysOpen ? kPage : kPage.transposed());
}

void MainWindowTest::shortcutDockTogglesBack()
{
    openWindow();
    auto* action = child<QAction>("action_view_shortcut");
    auto* dock = child<QDockWidget>("dockWidget");
    action->trigger();
    QVERIFY(dock->isVisible());
    QVERIFY(action->isChecked());
    action->trigger();
    QVERIFY(!dock->isVisible());
    QVERIFY(!action->isChecked());
}

QTEST_MAIN(MainWindowTest)
#include "tst_MainWindow.moc"
