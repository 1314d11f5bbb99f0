// The main window's side of a batch: history reset and the run behind the dialog.
#include "BatchController.h"
#include "OperationId.h"
#include "PageFile.h"

#include <QTemporaryDir>
#include <QtTest>

class TestBatchController : public QObject
{
    Q_OBJECT

private slots:
    void historyHoldsPreBatchImagesAndRunWrites();
    void uncheckedRowsArePassedOver();
};

void TestBatchController::historyHoldsPreBatchImagesAndRunWrites()
{
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("页.png"));
    QVERIFY(PageFile::saveWithDensity(cv::Mat(40, 30, CV_8UC3, cv::Scalar(10, 20, 30)), page, 300,
                                      300));
    const QString broken = dir.filePath(QStringLiteral("broken.png"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    file.close();

    QStringList order;
    QMap<QString, cv::Mat> pushed;
    BatchController::HistoryHooks hooks;
    hooks.clearAll = [&order] { order << QStringLiteral("clear"); };
    hooks.pushOnly = [&](const QString& path, const cv::Mat& image) {
        order << path;
        pushed.insert(path, image);
    };
    BatchJob job;
    job.files = QStringList{page, broken};
    job.actions = {IMG_OPT_ROTATE_LEFT};
    bool reopened = false;
    const BatchSummary summary =
        BatchController::start(nullptr, job, hooks, [&reopened] { reopened = true; });

    QCOMPARE(order, (QStringList{"clear", page})); // an unreadable file gets no entry
    QCOMPARE(QSize(pushed[page].cols, pushed[page].rows), QSize(30, 40));
    QCOMPARE(summary.processed, 1);
    QCOMPARE(summary.skipped, QStringList{broken});
    QCOMPARE(PageFile::readInfo(page).width, 40);
    QVERIFY(!reopened);
    QTRY_VERIFY(reopened);
}

void TestBatchController::uncheckedRowsArePassedOver()
{
    QList<stActionData> rows;
    for (const int id : {IMG_OPT_AREA_CLEAR, IMG_OPT_ROTATE_LEFT, IMG_OPT_DPI}) {
        stActionData row;
        row.actionCmd = id;
        row.checked = id == IMG_OPT_ROTATE_LEFT ? 0 : 1;
        rows << row;
    }
    QCOMPARE(BatchController::actionIds(rows), (QList<int>{IMG_OPT_AREA_CLEAR, IMG_OPT_DPI}));
}

QTEST_MAIN(TestBatchController)
#include "tst_BatchController.moc"
