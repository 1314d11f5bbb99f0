#include "BackgroundTask.h"
#include "ModalDriver.h"
#include "WaitingDlg.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <stdexcept>

namespace {

// Waits on the worker for a flag the user-interface side sets; bounded so a fault
// fails the test instead of hanging it.
bool waitFor(const std::atomic<bool>& flag)
{
    for (int i = 0; i < 1000 && !flag; ++i)
        QThread::msleep(10);
    return flag;
}

} // namespace

class TestBackgroundTask : public QObject
{
    Q_OBJECT
private slots:
    void runsOffGuiThreadAndReportsProgress();
    void outcome_data();
    void outcome();
    void cancelSetsFlagAndStillWaits();
};

void TestBackgroundTask::runsOffGuiThreadAndReportsProgress()
{
    std::atomic<bool> labelShown{false};
    QPointer<WaitingDlg> seenDialog;
    whenModal([&](QWidget* w) {
        seenDialog = qobject_cast<WaitingDlg*>(w);
        labelShown = seenDialog && w->findChild<QLabel*>("label_2")->text() == "第 5/10 页";
        return bool(labelShown);
    });
    QThread* worker = nullptr;
    bool sawLabel = false;
    bool taskEnded = false;
    QTest::ignoreMessage(QtDebugMsg, "finished");
    QVERIFY(BackgroundTask::run(nullptr, [&](TaskContext& context) {
        worker = QThread::currentThread();
        context.progress("第 1/10 页");
        context.progress("第 5/10 页");
        sawLabel = waitFor(labelShown);
        QThread::msleep(50);
        taskEnded = true;
    }));
    QVERIFY(taskEnded);
    QVERIFY(sawLabel);
    QVERIFY(worker && worker != QThread::currentThread());
    QVERIFY(seenDialog.isNull());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestBackgroundTask::outcome_data()
{
    QTest::addColumn<int>("failure"); // 0 none, 1 std::exception, 2 anything else
    QTest::addColumn<QString>("announced");
    QTest::newRow("completes") << 0 << "提示|分件完成";
    QTest::newRow("std::exception") << 1 << "";
    QTest::newRow("other throw") << 2 << "";
}

void TestBackgroundTask::outcome()
{
    QFETCH(int, failure);
    QFETCH(QString, announced);
    QString shown;
    QPointer<QTimer> driver = whenModal([&](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            shown = box->windowTitle() + "|" + box->text();
            box->close();
        }
        return false;
    });
    if (failure)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Caught exception:"));
    const bool ok = BackgroundTask::run(
        nullptr,
        [failure](TaskContext& context) {
            context.progress("读取中");
            if (failure == 1)
                throw std::runtime_error("disk gone");
            if (failure == 2)
                throw 42;
        },
        "分件完成");
    delete driver;
    QCOMPARE(ok, failure == 0);
    QCOMPARE(shown, announced); // a failed run must not announce completion
    QVERIFY(!QApplication::activeModalWidget());
}

void TestBackgroundTask::cancelSetsFlagAndStillWaits()
{
    std::atomic<bool> clicked{false};
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<WaitingDlg*>(w);
        if (!dialog)
            return false;
        auto* button = dialog->findChild<QPushButton*>("pushButton");
        button->show();
        button->click();
        clicked = true;
        return true;
    });
    bool sawCancel = false;
    bool taskEnded = false;
    QVERIFY(BackgroundTask::run(nullptr, [&](TaskContext& context) {
        waitFor(clicked);
        QThread::msleep(50); // still running after the dialog was rejected
        sawCancel = context.cancelled();
        taskEnded = true;
    }));
    QVERIFY(taskEnded);
    QVERIFY(sawCancel);
}

QTEST_MAIN(TestBackgroundTask)
#include "test_background_task.moc"
