#include "RenameTransaction.h"
#include "TestFiles.h"

#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Tags T0000000, T0000001, ... so the test knows every temporary name.
RenameTransaction::TagSource countingTags()
{
    auto next = std::make_shared<int>(0);
    return [next] { return QString("T%1").arg((*next)++, 7, 10, QChar('0')); };
}

// "a.jpg>b.jpg" pairs, relative to the folder.
void addSteps(RenameTransaction& change, const TestFolder& pages, const QStringList& steps)
{
    for (const QString& step : steps)
        change.add(pages.path(step.section('>', 0, 0)), pages.path(step.section('>', 1)));
}

pid_t gonePid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

} // namespace

class tst_RenameTransaction : public QObject
{
    Q_OBJECT
private slots:
    void rotation_data()
    {
        QTest::addColumn<int>("shift");
        QTest::newRow("forward") << 1;
        QTest::newRow("backward") << 3;
    }
    void rotation()
    {
        QFETCH(int, shift);
        const QStringList names{"扫描 001.jpg", "第二 页.png", "a b c.tif", "无扩展名"};
        TestFolder pages(names);
        RenameTransaction change(pages.path());
        for (int i = 0; i < names.size(); ++i)
            change.add(pages.path(names.at(i)), pages.path(names.at((i + shift) % names.size())));
        QCOMPARE(change.validate(), QString());
        QVERIFY(change.commit().ok);
        const auto after = pages.snapshot();
        QCOMPARE(after.size(), names.size()); // no journal, no temporary name
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(after.value(names.at((i + shift) % names.size())), names.at(i).toUtf8());
    }

    void refusalTouchesNothing_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing source") << QStringList{"x.jpg>y.jpg"} << "源文件不存在";
        QTest::newRow("taken target") << QStringList{"a.jpg>b.jpg"} << "目标文件已存在";
        QTest::newRow("folder in the way") << QStringList{"a.jpg>sub"} << "目标文件已存在";
        QTest::newRow("dangling link in the way")
            << QStringList{"a.jpg>link.jpg"} << "目标文件已存在";
        QTest::newRow("target freed by nobody")
            << QStringList{"a.jpg>b.jpg", "b.jpg>c.jpg"} << "目标文件已存在";
        QTest::newRow("duplicate target")
            << QStringList{"a.jpg>x.jpg", "b.jpg>x.jpg"} << "目标文件重复";
        QTest::newRow("duplicate source")
            << QStringList{"a.jpg>x.jpg", "a.jpg>y.jpg"} << "源文件重复";
        QTest::newRow("missing target folder")
            << QStringList{"a.jpg>none/a.jpg"} << "目标文件夹不存在";
    }
    void refusalTouchesNothing()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, reason);
        TestFolder pages;
        QDir(pages.path()).mkdir("sub");
        QFile::link(pages.path("gone.jpg"), pages.path("link.jpg"));
        const auto before = pages.snapshot();
        RenameTransaction change(pages.path());
        addSteps(change, pages, steps);
        QVERIFY2(change.validate().startsWith(reason), qPrintable(change.validate()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("rename refused"));
        const RenameTransaction::Result result = change.commit();
        QVERIFY(!result.ok);
        QCOMPARE(result.error, change.validate());
        QCOMPARE(pages.snapshot(), before);
    }

    void linkCountsAsAPage()
    {
        TestFolder pages({"a.jpg"});
        QFile::link(pages.path("gone.jpg"), pages.path("link.jpg"));
        RenameTransaction change(pages.path());
        change.add(pages.path("link.jpg"), pages.path("a.jpg"));
        change.add(pages.path("a.jpg"), pages.path("link.jpg"));
        QVERIFY(change.commit().ok);
        QVERIFY(QFileInfo(pages.path("a.jpg")).isSymLink());
        QCOMPARE(pages.snapshot().value("link.jpg"), QByteArray("a.jpg"));
    }

    // Phase 1 renames ordinals 0-3, phase 2 ordinals 4-7. A page parked on a
    // later temporary name stops phase 1; hiding "sub" stops the rename into it.
    void failureInTheMiddleRestoresFolder_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("injectAfter");
        QTest::addColumn<QString>("blocked"); // a temporary name, or "sub"
        QTest::addColumn<QString>("failed");  // the rename reported as failed
        const QStringList subLast{"a.jpg>b.jpg", "b.jpg>c.jpg", "c.jpg>d.jpg", "d.jpg>sub/d.jpg"};
        const QStringList subFirst{"a.jpg>sub/a.jpg", "b.jpg>a.jpg", "c.jpg>b.jpg", "d.jpg>c.jpg"};
        QTest::newRow("phase 1, second rename") << subLast << 0 << "b-T0000001.jpg"
                                                << "b.jpg>b-T0000001.jpg";
        QTest::newRow("phase 1, last rename") << subLast << 2 << "d-T0000003.jpg"
                                              << "d.jpg>d-T0000003.jpg";
        QTest::newRow("phase 2, first rename") << subFirst << 3 << "sub"
                                               << "a-T0000000.jpg>sub/a.jpg";
        QTest::newRow("phase 2, last rename") << subLast << 3 << "sub"
                                              << "d-T0000003.jpg>sub/d.jpg";
    }
    void failureInTheMiddleRestoresFolder()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, injectAfter);
        QFETCH(QString, blocked);
        TestFolder pages;
        QDir(pages.path()).mkdir("sub");
        pages.write("sub/keep.jpg", "keep");
        const auto before = pages.snapshot();

        RenameTransaction change(pages.path(), countingTags());
        addSteps(change, pages, steps);
        change.setStepHook([&](int ordinal) {
            if (ordinal != injectAfter)
                return;
            if (blocked == "sub")
                QDir(pages.path()).rename("sub", "hidden");
            else
                pages.write(blocked, "intruder");
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^rename failed"));
        const RenameTransaction::Result result = change.commit();
        QVERIFY(!result.ok);
        const QDir dir(pages.path());
        QTEST(dir.relativeFilePath(result.failedFrom) + ">" + dir.relativeFilePath(result.failedTo),
              "failed");
        QVERIFY(!result.error.isEmpty());

        if (blocked == "sub")
            QVERIFY(QDir(pages.path()).rename("hidden", "sub"));
        else
            QVERIFY(QFile::remove(pages.path(blocked)));
        QCOMPARE(pages.snapshot(), before);
    }

    void failedUndoIsFinishedLater_data()
    {
        QTest::addColumn<bool>("byNextChange");
        QTest::newRow("by recovery") << false;
        QTest::newRow("by the next change") << true;
    }
    void failedUndoIsFinishedLater()
    {
        QFETCH(bool, byNextChange);
        TestFolder pages;
        auto before = pages.snapshot();
        RenameTransaction change(pages.path(), countingTags());
        addSteps(change, pages, {"a.jpg>b.jpg", "b.jpg>c.jpg", "c.jpg>d.jpg", "d.jpg>a.jpg"});
        // After a and b left: c's temporary name is taken, and so is a's way back.
        change.setStepHook([&](int ordinal) {
            if (ordinal != 1)
                return;
            pages.write("c-T0000002.jpg", "intruder");
            pages.write("a.jpg", "intruder");
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^rename failed"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^rename rollback failed"));
        QVERIFY(!change.commit().ok);
        QVERIFY(QFile::exists(pages.path(RenameTransaction::journalName())));

        QFile::remove(pages.path("c-T0000002.jpg"));
        QFile::remove(pages.path("a.jpg"));
        if (byNextChange) {
            // The leftover journal is mended first, never written over.
            RenameTransaction next(pages.path());
            next.add(pages.path("a.jpg"), pages.path("e.jpg"));
            QVERIFY(next.commit().ok);
            before.insert("e.jpg", before.take("a.jpg"));
        } else {
            // No change of this process runs now, so its own journal counts as left over.
            QCOMPARE(RenameTransaction::recover(pages.path()), 1);
        }
        QCOMPARE(pages.snapshot(), before);
    }

    void recoveryLeavesLiveAndDamagedJournalsAlone_data()
    {
        QTest::addColumn<bool>("ownerGone");
        QTest::addColumn<int>("phase"); // 0: damaged
        QTest::addColumn<QString>("pageAt");
        QTest::newRow("gone, undo") << true << 1 << "a.jpg";
        QTest::newRow("gone, finish") << true << 2 << "b.jpg";
        QTest::newRow("gone, damaged") << true << 0 << "a-T0000000.jpg";
        QTest::newRow("still running") << false << 2 << "a-T0000000.jpg";
    }
    void recoveryLeavesLiveAndDamagedJournalsAlone()
    {
        QFETCH(bool, ownerGone);
        QFETCH(int, phase);
        TestFolder pages({"a-T0000000.jpg"});
        const QString journal =
            ".tarvo-journal-" + QString::number(ownerGone ? gonePid() : getppid());
        QByteArray text =
            QString(R"({"phase":%1,"steps":[["%2","%3","%4"]]})")
                .arg(phase)
                .arg(pages.path("a.jpg"), pages.path("a-T0000000.jpg"), pages.path("b.jpg"))
                .toUtf8();
        if (phase == 0)
            text.chop(10);
        pages.write(journal, text);
        pages.write(journal + ".tmp", "half");

        if (phase == 0)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("damaged"));
        const bool mended = ownerGone && phase != 0;
        QCOMPARE(RenameTransaction::recover(pages.path()), mended ? 1 : 0);
        QCOMPARE(QFile::exists(pages.path(journal)), !mended);
        QCOMPARE(QFile::exists(pages.path(journal + ".tmp")), !ownerGone);
        QFETCH(QString, pageAt);
        QCOMPARE(pages.snapshot().value(pageAt), QByteArray("a-T0000000.jpg"));
    }
};

QTEST_MAIN(tst_RenameTransaction)
#include "tst_RenameTransaction.moc"
