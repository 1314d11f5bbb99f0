#include "TestFiles.h"

#include <QMimeData>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

// Reordering renames files on disk: names stay as slots, contents move.
class tst_FileReorder : public QObject
{
    Q_OBJECT
private slots:
    void moveFile_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("d onto b") << 3 << 1 << QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "4"};
        QTest::newRow("a onto c") << 0 << 2 << QStringList{"b.jpg", "c.jpg", "a.jpg", "d.jpg", "4"};
        QTest::newRow("onto itself")
            << 2 << 2 << QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "4"};
    }
    void moveFile()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        TestFolder folder;
        QCOMPARE(folder.model.moveFile(from, to), from != to);
        QTEST(folder.contents(), "expected");
    }

    void takenTemporaryNameIsRedrawnNotOverwritten()
    {
        TestFolder folder;
        folder.write("d-AAAAAAAA.jpg", "keep");
        // Drawn for b, c and d in turn; d's first draw is taken.
        QStringList tags{"AAAAAAAA", "AAAAAAAA", "AAAAAAAA", "BBBBBBBB"};
        folder.model.setTagSource([&tags] { return tags.takeFirst(); });
        QVERIFY(folder.model.moveFile(3, 1));
        QVERIFY(tags.isEmpty());
        QCOMPARE(folder.read("d-AAAAAAAA.jpg"), QByteArray("keep"));
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "5"}));
    }

    // The last of 300 pages moves to the front; the process dies at one rename
    // (phase 1 is ordinals 0-299, phase 2 300-599). The next listing must show
    // every page once, in the old order or the new one.
    void killedReorderIsMendedByTheNextListing_data()
    {
        QTest::addColumn<int>("killAfter");
        QTest::addColumn<bool>("newOrder");
        QTest::newRow("last of phase 1") << 299 << false;
        QTest::newRow("early in phase 2") << 302 << true;
    }
    void killedReorderIsMendedByTheNextListing()
    {
        QFETCH(int, killAfter);
        QFETCH(bool, newOrder);
        constexpr int count = 300;
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << QString("p%1.jpg").arg(i, 3, 10, QChar('0'));
        TestFolder folder(names);
        const QStringList paths = folder.model.filePaths();

        const pid_t child = fork();
        if (child == 0) {
            FileMover mover;
            mover.setStepHook([killAfter](int ordinal) {
                if (ordinal == killAfter)
                    raise(SIGKILL);
            });
            mover.move(paths, count - 1, 0);
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        folder.model.loadDir(folder.path());
        QCOMPARE(folder.model.filePaths(), paths);
        QStringList contents = names;
        if (newOrder)
            contents.prepend(contents.takeLast());
        QMap<QString, QByteArray> expected; // every page once, no temporary name, no journal
        for (int i = 0; i < count; ++i)
            expected.insert(names.at(i), contents.at(i).toUtf8());
        QCOMPARE(folder.snapshot(), expected);
    }

    void drop()
    {
        TestFolder folder;
        FileTableModel& model = folder.model;
        QStringList asked;
        bool answer = false;
        model.setConfirmHandler([&](const QString& title, const QString& text) {
            asked << title + ":" + text;
            return answer;
        });
        QStringList events;
        QStringList aboutToChange;
        QHash<QString, QString> changed;
        connect(&model, &FileTableModel::namesAboutToChange, this, [&](const QStringList& paths) {
            events << "about to change, b holds " + folder.read("b.jpg");
            aboutToChange = paths;
        });
        connect(&model, &FileTableModel::namesChanged, this,
                [&](const QHash<QString, QString>& oldToNew) {
                    events << QString("changed, %1 checked").arg(model.checkedFiles().size());
                    changed = oldToNew;
                });
        std::unique_ptr<QMimeData> data(model.mimeData({model.index(3, 1)}));
        // Between rows, as a copy, onto itself: refused without a question.
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, 2, 0, QModelIndex()));
        QVERIFY(!model.dropMimeData(data.get(), Qt::CopyAction, -1, -1, model.index(1, 1)));
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(3, 1)));
        QVERIFY(asked.isEmpty());
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 1)));
        QCOMPARE(asked, QStringList{"提示:将d.jpg移动到b.jpg位置，是否确认"});
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "4"}));
        QVERIFY(events.isEmpty());

        answer = true;
        model.checkAll();
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 1)));
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "4"}));
        // Announced before any rename; reported once the list was reloaded.
        QCOMPARE(events, (QStringList{"about to change, b holds b.jpg", "changed, 0 checked"}));
        QCOMPARE(aboutToChange,
                 (QStringList{folder.path("b.jpg"), folder.path("c.jpg"), folder.path("d.jpg")}));
        const QHash<QString, QString> expected{{folder.path("b.jpg"), folder.path("c.jpg")},
                                               {folder.path("c.jpg"), folder.path("d.jpg")},
                                               {folder.path("d.jpg"), folder.path("b.jpg")}};
        QCOMPARE(changed, expected);

        // A page gone behind the list's back stops the move before any rename; the
        // list is reloaded, no change is reported and the failed rename is shown.
        events.clear();
        QString toast;
        model.setErrorNotifier([&toast](const QString& text) { toast = text; });
        QFile::remove(folder.path("c.jpg"));
        model.checkAll();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("rename refused"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("重命名失败"));
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(0, 1)));
        QCOMPARE(toast, "重命名失败:" + folder.path("c.jpg") + " -> " + folder.path("d.jpg"));
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "d.jpg", "<missing>", "c.jpg", "3"}));
        QCOMPARE(events, QStringList{"about to change, b holds d.jpg"});
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(model.checkedFiles().isEmpty());
    }
};

QTEST_MAIN(tst_FileReorder)
#include "tst_FileReorder.moc"
