#include "BackgroundTask.h"
#include "ModalDriver.h"
#include "WaitingDlg.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <stdexcept>

class TestBackgroundTask : public QObject
{
    Q_OBJECT
private slots:
    void runsOffGuiThreadAndReportsProgress()
    {
        std::atomic<bool> labelShown{false};
        whenModal([&](QWidget* w) {
            labelShown = qobject_cast<WaitingDlg*>(w) &&
                         w->findChild<QLabel*>("label_2")->text() == "第 5/10 页";
            return bool(labelShown);
        });
        QThread* worker = nullptr;
        bool ended = false;
        QTest::ignoreMessage(QtDebugMsg, "finished");
        QVERIFY(BackgroundTask::run(nullptr, [&](TaskContext& context) {
            worker = QThread::currentThread();
            context.progress("第 1/10 页");
            context.progress("第 5/10 页");
            // Bounded, so a progress fault fails the test instead of hanging it.
            for (int i = 0; i < 1000 && !labelShown; ++i)
                QThread::msleep(10);
            ended = true;
        }));
        QVERIFY(ended && labelShown); // run() waits for the task
        QVERIFY(worker && worker != QThread::currentThread());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void outcome_data()
    {
        QTest::addColumn<int>("failure"); // 0 none, 1 std::exception, 2 anything else
        QTest::addColumn<QString>("announced");
        QTest::newRow("completes") << 0 << "提示|分件完成";
        QTest::newRow("std::exception") << 1 << "";
        QTest::newRow("other throw") << 2 << "";
    }
    void outcome()
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
            [failure](TaskContext&) {
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
};

QTEST_MAIN(TestBackgroundTask)
#include "test_background_task.moc"
