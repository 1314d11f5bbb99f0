// The main window's side of a batch: history reset and the run behind the dialog.
#include "BatchController.h"
#include "BatchTestPages.h"
#include "OperationId.h"
#include "OriginalPage.h"

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
        QMap<QString, std::shared_ptr<OriginalPage>> pushed;
        BatchController::HistoryHooks hooks;
        hooks.clearAll = [&order] { order << QStringLiteral("clear"); };
        hooks.pushOnly = [&](const QString& path, const std::shared_ptr<OriginalPage>& original) {
            order << path;
            pushed.insert(path, original);
        };
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("originals")));
        BatchJob job;
        job.originalsFolder = dir.filePath(QStringLiteral("originals"));
        // Listed twice: the entry is the page before the run, not after its first pass.
        job.files = QStringList{page, broken, page};
        job.actions = {IMG_OPT_ROTATE_LEFT};
        bool reopened = false;
        BatchSummary summary =
            BatchController::start(nullptr, job, hooks, [&reopened] { reopened = true; });

        QCOMPARE(order, (QStringList{"clear", page})); // an unreadable file gets no entry
        const cv::Mat before = pushed[page]->pixels();
        QCOMPARE(QSize(before.cols, before.rows), QSize(30, 40));
        QCOMPARE(summary.processed, 2);
        QCOMPARE(summary.skipped, QStringList{broken});
        QCOMPARE(PageFile::readInfo(page).height, 40); // turned twice

        // The kept copy goes with its last entry.
        const QString copy = pushed[page]->copyPath();
        QVERIFY(QFileInfo::exists(copy));
        pushed.clear();
        summary.originals.clear();
        QVERIFY(!QFileInfo::exists(copy));
        QVERIFY(!reopened);
        QTRY_VERIFY(reopened);
    }
};

QTEST_MAIN(TestBatchController)
#include "tst_BatchController.moc"
