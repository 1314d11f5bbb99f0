#include "ActionSettingsOpener.h"
#include "ActionTableModel.h"
#include "AppPaths.h"
#include "BatchController.h"
#include "BatchPanel.h"
#include "ButtonDelegate.h"
#include "EditTextItem.h"
#include "FileTableModel.h"
#include "ImageToolbar.h"
#include "MainWindow.h"
#include "OperationId.h"
#include "PageFile.h"
#include "PageScene.h"
#include "SettingsStore.h"
#include "ToolbarCommands.h"

#include <QApplication>
#include <QDialog>
#include <QGraphicsRectItem>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <opencv2/imgproc.hpp>

namespace {

const QSize kPage(200, 280);

QSize sizeOnDisk(const QString& path)
{
    const PageInfo info = PageFile::readInfo(path);
    return QSize(info.width, info.height);
}

bool same(const cv::Mat& a, const cv::Mat& b)
{
    return a.size == b.size && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

} // namespace

// The batch tab of a window on "01 卷宗" with the pages 0001.jpg and 0002.jpg.
class BatchPanelTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void runOverAllFilesLeavesOneUndoStep_data();
    void runOverAllFilesLeavesOneUndoStep();
    void runOverCheckedFilesTouchesOnlyThem();
    void freshListAndRowClickPreview();
    void settingsButtonOpensOnlyParameterDialogs();

private:
    void openWindow();
    QModelIndex row(const QString& label, int column) const;
    void click(const QModelIndex& index, bool onButton = false);
    QString page(int n) const
    {
        return QStringLiteral("%1/01 卷宗/000%2.jpg").arg(m_data->path()).arg(n);
    }

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
    QTableView* m_list = nullptr;
};

void BatchPanelTest::initTestCase()
{
    QVERIFY(m_base.isValid());
    AppPaths::setBaseDirForTesting(m_base.path());
}

void BatchPanelTest::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(m_data->path() + QStringLiteral("/01 卷宗")));
    cv::Mat content(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(250, 250, 250));
    cv::rectangle(content, cv::Rect(20, 30, 60, 200), cv::Scalar(30, 30, 30), cv::FILLED);
    for (int n : {1, 2})
        QVERIFY(PageFile::saveWithDensity(content, page(n), 300, 300));
    SettingsStore::setSettingValue(SettingsStore::kRootPath, m_data->path());
    SettingsStore::setSettingValue(SettingsStore::kSaveMode, 2); // save on page turn
}

void BatchPanelTest::cleanup()
{
    m_window.reset();
}

void BatchPanelTest::openWindow()
{
    m_window = std::make_unique<MainWindow>();
    m_window->resize(1315, 750);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->currentFile(), page(1), 10000);
    m_list = m_window->findChild<QTableView*>(QStringLiteral("tb_action"));
    auto* tabs = m_window->findChild<QTabWidget*>(QStringLiteral("widget_right"));
    tabs->setCurrentWidget(m_window->findChild<QWidget*>(QStringLiteral("tab_batchprocess")));
    QTRY_VERIFY(m_list->isVisible());
}

QModelIndex BatchPanelTest::row(const QString& label, int column) const
{
    const QAbstractItemModel* model = m_list->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 1).data().toString() == label)
            return model->index(r, column);
    }
    return {};
}

void BatchPanelTest::click(const QModelIndex& index, bool onButton)
{
    const QRect cell = m_list->visualRect(index);
    QVERIFY(cell.isValid());
    const QPoint at = onButton ? ButtonDelegate::buttonRect(cell).center() : cell.center();
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, at);
}

void BatchPanelTest::runOverAllFilesLeavesOneUndoStep_data()
{
    QTest::addColumn<bool>("pendingEdit");
    QTest::newRow("nothing pending") << false;
    // A left turn waiting for the page turn reaches the disk first, and the
    // reopen after the run must not write the old pixels over the result.
    QTest::newRow("left turn pending") << true;
}

void BatchPanelTest::runOverAllFilesLeavesOneUndoStep()
{
    QFETCH(bool, pendingEdit);
    openWindow();
    if (pendingEdit)
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
    // Two rows checked, one of them unchecked again: only the right turn runs.
    click(row(QStringLiteral("向右旋转"), 0));
    click(row(QStringLiteral("水平翻转"), 0));
    click(row(QStringLiteral("水平翻转"), 0));
    QCOMPARE(BatchController::actionIds(m_window->batchPanel()->model()->checkedActions()),
             QList<int>{IMG_OPT_ROTATE_RIGHT});
    const cv::Mat before2 = PageFile::loadForEdit(page(2));

    m_window->findChild<QPushButton*>(QStringLiteral("btn_batch_process"))->click();
    EditHistory& history = const_cast<CurrentImage&>(m_window->currentImage()).history();
    const cv::Mat before1 = history.oldest(page(1));
    QCOMPARE(sizeOnDisk(page(2)), kPage.transposed());
    QCOMPARE(m_window->batchPanel()->batchResolutions().value(page(2)), QPoint(300, 300));
    // 500 ms later the current page is shown as the batch left it.
    QTRY_COMPARE(m_window->currentFile(), page(1));
    QCOMPARE(sizeOnDisk(page(1)), pendingEdit ? kPage : kPage.transposed());
    QCOMPARE(QSize(m_window->currentImage().image().cols, m_window->currentImage().image().rows),
             sizeOnDisk(page(1)));

    for (int n : {1, 2}) {
        QCOMPARE(history.undoDepth(page(n)), 1);
        QCOMPARE(history.redoDepth(page(n)), 0);
    }
    QCOMPARE(QSize(before1.cols, before1.rows), pendingEdit ? kPage.transposed() : kPage);
    QVERIFY(same(history.oldest(page(2)), before2));
    m_window->undo();
    QVERIFY(same(m_window->currentImage().image(), before1));
}

void BatchPanelTest::runOverCheckedFilesTouchesOnlyThem()
{
    openWindow();
    click(row(QStringLiteral("向右旋转"), 0));
    auto* files = qobject_cast<FileTableModel*>(
        m_window->findChild<QTableView*>(QStringLiteral("tb_file"))->model());
    files->setChecked({1}, true);
    m_window->findChild<QPushButton*>(QStringLiteral("btn_batch_process_checked"))->click();
    QCOMPARE(sizeOnDisk(page(1)), kPage);
    QCOMPARE(sizeOnDisk(page(2)), kPage.transposed());
    QVERIFY(!m_window->batchPanel()->batchResolutions().contains(page(1)));
}

void BatchPanelTest::freshListAndRowClickPreview()
{
    openWindow();
    // A fresh list: fifteen rows, none checked; a run cannot be stopped.
    QCOMPARE(m_list->model()->rowCount(), 15);
    QVERIFY(m_window->batchPanel()->model()->checkedActions().isEmpty());
    QVERIFY(
        m_window->findChild<QPushButton*>(QStringLiteral("btn_batch_process_cancel"))->isHidden());
    PageScene* scene = m_window->scene();
    click(row(QStringLiteral("签注页码"), 1));
    QVERIFY(scene->pageNoItem()->isVisible());
    QVERIFY(!scene->marginItem()->isVisible());
    click(row(QStringLiteral("区域清除"), 1));
    QVERIFY(!scene->pageNoItem()->isVisible());
    QVERIFY(scene->marginItem()->isVisible());
    click(row(QStringLiteral("向左旋转"), 1));
    QVERIFY(!scene->marginItem()->isVisible());
    QVERIFY(m_window->batchPanel()->model()->checkedActions().isEmpty());

    // While "显示页边距" is on, the operator's frame stays.
    m_window->toolbarCommands()->toolbar()->marginButton()->click();
    QVERIFY(scene->marginItem()->isVisible());
    click(row(QStringLiteral("向左旋转"), 1));
    QVERIFY(scene->marginItem()->isVisible());
}

void BatchPanelTest::settingsButtonOpensOnlyParameterDialogs()
{
    openWindow();
    qRegisterMetaType<QDialog*>();
    QSignalSpy opened(m_window->batchPanel()->opener(), &ActionSettingsOpener::dialogOpened);
    // Any dialog that comes up is cancelled, so a wrong one cannot hang the test.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    closer.start(20);
    click(row(QStringLiteral("向左旋转"), 2), true);
    QCOMPARE(opened.count(), 0);
    click(row(QStringLiteral("区域清除"), 2), true);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(1).toInt(), int(IMG_OPT_AREA_CLEAR));
}

QTEST_MAIN(BatchPanelTest)
#include "tst_BatchPanel.moc"
