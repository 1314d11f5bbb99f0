#include "../app/ModalDriver.h"
#include "ActionTableModel.h"
#include "AppPaths.h"
#include "BatchController.h"
#include "BatchPanel.h"
#include "FileTableModel.h"
#include "OperationId.h"
#include "WorkspaceTestSupport.h"

#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <opencv2/imgproc.hpp>

namespace {
const QSize kPage(200, 280);
}

// The batch tab of a window on "01 卷宗" with the pages 0001.jpg and 0002.jpg,
// saving on page turn.
class BatchPanelTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<MainWindow> m_window;
    QTableView* m_list = nullptr;

    QString page(int n) const
    {
        return QStringLiteral("%1/01 卷宗/000%2.jpg").arg(m_data->path()).arg(n);
    }
    void clickRow(const QString& label, int column)
    {
        const QAbstractItemModel* model = m_list->model();
        const QModelIndexList found =
            model->match(model->index(0, 1), Qt::DisplayRole, label, -1, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(label));
        const QRect cell = m_list->visualRect(found.first().siblingAtColumn(column));
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void run(const char* button)
    {
        m_window->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_base.isValid());
        AppPaths::setBaseDirForTesting(m_base.path());
    }

    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(m_data->path() + QStringLiteral("/01 卷宗")));
        cv::Mat content(kPage.height(), kPage.width(), CV_8UC3, cv::Scalar(250, 250, 250));
        cv::rectangle(content, cv::Rect(20, 30, 60, 200), cv::Scalar(30, 30, 30), cv::FILLED);
        for (int n : {1, 2})
            QVERIFY(PageFile::saveWithDensity(content, page(n), 300, 300));
        m_window = openMainWindow(m_data->path(), 2, page(1));
        QCOMPARE(m_window->currentFile(), page(1));
        m_list = m_window->findChild<QTableView*>(QStringLiteral("tb_action"));
        m_window->findChild<QTabWidget*>(QStringLiteral("widget_right"))
            ->setCurrentWidget(m_window->findChild<QWidget*>(QStringLiteral("tab_batchprocess")));
        QTRY_VERIFY(m_list->isVisible());
    }

    void cleanup() { m_window.reset(); }

    void runOverAllFilesLeavesOneUndoStep_data()
    {
        QTest::addColumn<bool>("pendingEdit");
        QTest::newRow("nothing pending") << false;
        // A left turn waiting for the page turn reaches the disk first, and the
        // reopen after the run must not write the old pixels over the result.
        QTest::newRow("left turn pending") << true;
    }
    void runOverAllFilesLeavesOneUndoStep()
    {
        QFETCH(bool, pendingEdit);
        if (pendingEdit)
            m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        // Two rows checked, one of them unchecked again: only the right turn runs.
        clickRow(QStringLiteral("向右旋转"), 0);
        clickRow(QStringLiteral("水平翻转"), 0);
        clickRow(QStringLiteral("水平翻转"), 0);
        QCOMPARE(BatchController::actionIds(m_window->batchPanel()->model()->checkedActions()),
                 QList<int>{IMG_OPT_ROTATE_RIGHT});
        const cv::Mat before2 = PageFile::loadForEdit(page(2));

        run("btn_batch_process");
        EditHistory& history = const_cast<CurrentImage&>(m_window->currentImage()).history();
        const cv::Mat before1 = history.oldest(page(1)).pixels();
        QCOMPARE(sizeOnDisk(page(2)), kPage.transposed());
        // 500 ms later the current page is shown as the batch left it.
        QTRY_COMPARE(m_window->currentFile(), page(1));
        QCOMPARE(sizeOnDisk(page(1)), pendingEdit ? kPage : kPage.transposed());
        QCOMPARE(
            QSize(m_window->currentImage().image().cols, m_window->currentImage().image().rows),
            sizeOnDisk(page(1)));

        for (int n : {1, 2}) {
            QCOMPARE(history.undoDepth(page(n)), 1);
            QCOMPARE(history.redoDepth(page(n)), 0);
        }
        QCOMPARE(QSize(before1.cols, before1.rows), pendingEdit ? kPage.transposed() : kPage);
        QVERIFY(same(history.oldest(page(2)).pixels(), before2));
        m_window->undo();
        QVERIFY(same(m_window->currentImage().image(), before1));
        // The undo list is empty now, yet the file holds the batch's result: the
        // page turn must still write the undone page.
        m_window->nextPage();
        QCOMPARE(sizeOnDisk(page(1)), QSize(before1.cols, before1.rows));
    }

    void manualModeAsksBeforeARun_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("save and run") << int(QMessageBox::Ok);
        QTest::newRow("call the run off") << int(QMessageBox::Cancel);
    }
    void manualModeAsksBeforeARun()
    {
        QFETCH(int, answer);
        auto& image = const_cast<CurrentImage&>(m_window->currentImage());
        image.setSaveMode(CurrentImage::Manual);
        m_window->executeOperation(IMG_OPT_ROTATE_LEFT, true, QVariant());
        clickRow(QStringLiteral("向右旋转"), 0);
        bool asked = false;
        whenModal([&asked, answer](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            if (!box || !box->text().contains(QStringLiteral("未保存")))
                return false;
            asked = true;
            box->button(QMessageBox::StandardButton(answer))->click();
            return true;
        });
        run("btn_batch_process");
        QVERIFY(asked);
        if (answer == QMessageBox::Cancel) {
            // Nothing ran, and the edit is still there to be saved.
            QCOMPARE(sizeOnDisk(page(2)), kPage);
            QVERIFY(image.hasUnsavedChanges());
            QCOMPARE(QSize(image.image().cols, image.image().rows), kPage.transposed());
            return;
        }
        // The saved edit is what the batch turned back, and what undo returns to.
        QCOMPARE(sizeOnDisk(page(1)), kPage);
        QCOMPARE(sizeOnDisk(page(2)), kPage.transposed());
        const cv::Mat before = image.history().oldest(page(1)).pixels();
        QCOMPARE(QSize(before.cols, before.rows), kPage.transposed());
    }

    void failedPagesAreReportedWithTheirPaths()
    {
        QVERIFY(QFile::setPermissions(page(2), QFile::ReadOwner | QFile::ReadGroup));
        clickRow(QStringLiteral("向右旋转"), 0);
        QString report;
        whenModal([&report](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            if (!box)
                return false;
            report = box->text();
            box->accept();
            return true;
        });
        const BatchSummary summary = m_window->batchPanel()->runAll();
        QFile::setPermissions(page(2), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(summary.failed, QStringList{page(2)});
        QVERIFY(report.contains(page(2)));
        QCOMPARE(sizeOnDisk(page(2)), kPage);
    }

    void runOverCheckedFilesTouchesOnlyThem()
    {
        clickRow(QStringLiteral("向右旋转"), 0);
        qobject_cast<FileTableModel*>(
            m_window->findChild<QTableView*>(QStringLiteral("tb_file"))->model())
            ->setChecked({1}, true);
        run("btn_batch_process_checked");
        QCOMPARE(sizeOnDisk(page(1)), kPage);
        QCOMPARE(sizeOnDisk(page(2)), kPage.transposed());
    }
};

QTEST_MAIN(BatchPanelTest)
#include "tst_BatchPanel.moc"
