// The main window's side of a batch: history reset and the run behind the dialog.
#include "BatchController.h"
#include "BatchTestPages.h"
#include "OperationId.h"

#include <QTemporaryDir>
#include <QtTest>

class TestBatchController : public QObject
{
    Q_OBJECT

private slots:
    void historyHoldsPreBatchImagesAndRunWrites()
    {
        QTemporaryDir dir;
        const QString page = BatchTestPages::write(dir.filePath(QStringLiteral("页.png")),
                                                   BatchTestPages::page(30, 40));
        const QString broken = BatchTestPages::writeBytes(dir.filePath("broken.png"), QByteArray());

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
};

QTEST_MAIN(TestBatchController)
#include "tst_BatchController.moc"
