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

// Waits on the worker for a condition the user-interface side sets; bounded so a fault
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
    void showsDoneMessageAfterTask();
    void throwingTaskClosesDialog_data();
    void throwingTaskClosesDialog();
    void cancelSetsFlagAndStillWaits();
};

void TestBackgroundTask::runsOffGuiThreadAndReportsProgress()
{
    std::atomic<bool> labelShown{false};
    QPointer<WaitingDlg> seenDialog;
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<WaitingDlg*>(w);
        if (!dialog)
            return false;
        seenDialog = dialog;
        if (dialog->findChild<QLabel*>("label_2")->text() != "第 5/10 页")
            return false;
        labelShown = true;
        return true;
    });

    QThread* worker = nullptr;
    bool sawLabel = false;
    bool taskEnded = false;
    QTest::ignoreMessage(QtDebugMsg, "finished");
    const bool ok = BackgroundTask::run(nullptr, [&](TaskContext& context) {
        worker = QThread::currentThread();
        context.progress("第 1/10 页");
        context.progress("第 5/10 页");
        sawLabel = waitFor(labelShown);
        QThread::msleep(50);
        taskEnded = true;
    });
    QVERIFY(ok);
    QVERIFY(taskEnded);
    QVERIFY(sawLabel);
    QVERIFY(worker && worker != QThread::currentThread());
    QVERIFY(seenDialog.isNull());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestBackgroundTask::showsDoneMessageAfterTask()
{
    QString title, text;
    whenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        title = box->windowTitle();
        text = box->text();
        box->close();
        return true;
    });
    QVERIFY(BackgroundTask::run(
        nullptr, [](TaskContext&) { QThread::msleep(20); }, "分件完成"));
    QCOMPARE(title, QString("提示"));
    QCOMPARE(text, QString("分件完成"));
}

void TestBackgroundTask::throwingTaskClosesDialog_data()
{
    QTest::addColumn<bool>("standardException");
    QTest::newRow("std::exception") << true;
    QTest::newRow("anything else") << false;
}

void TestBackgroundTask::throwingTaskClosesDialog()
{
    QFETCH(bool, standardException);
    bool boxShown = false;
    whenModal([&](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxShown = true;
            box->close();
        }
        return false;
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Caught exception:"));
    const bool ok = BackgroundTask::run(
        nullptr,
        [standardException](TaskContext& context) {
            context.progress("读取中");
            if (standardException)
                throw std::runtime_error("disk gone");
            throw 42;
        },
        "转换完成");
    QVERIFY(!ok);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!boxShown); // a failed run must not announce completion
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
