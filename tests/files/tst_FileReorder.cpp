#include "TestFiles.h"

#include <QMimeData>
#include <QtTest>
#include <memory>

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
        QStringList tags{"AAAAAAAA", "BBBBBBBB"};
        folder.model.setTagSource([&tags] { return tags.takeFirst(); });
        QVERIFY(folder.model.moveFile(3, 1));
        QVERIFY(tags.isEmpty());
        QCOMPARE(folder.read("d-AAAAAAAA.jpg"), QByteArray("keep"));
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "5"}));
    }

    void failedRenameLeavesFolderAsItWas()
    {
        TestFolder folder;
        QString toast;
        folder.model.setErrorNotifier([&toast](const QString& text) { toast = text; });
        QFile::remove(folder.path("b.jpg")); // vanished behind the list's back
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("重命名失败"));
        QVERIFY(!folder.model.moveFile(1, 3));
        QVERIFY(toast.startsWith("重命名失败:" + folder.path("b.jpg") + " -> "));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("重命名失败"));
        QVERIFY(!folder.model.moveFile(3, 0)); // the shift b -> c fails half-way
        QCOMPARE(toast, "重命名失败:" + folder.path("b.jpg") + " -> " + folder.path("c.jpg"));
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "<missing>", "c.jpg", "d.jpg", "3"}));
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
        std::unique_ptr<QMimeData> data(model.mimeData({model.index(3, 1)}));
        // Between rows, as a copy, onto itself: refused without a question.
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, 2, 0, QModelIndex()));
        QVERIFY(!model.dropMimeData(data.get(), Qt::CopyAction, -1, -1, model.index(1, 1)));
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(3, 1)));
        QVERIFY(asked.isEmpty());
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 1)));
        QCOMPARE(asked, QStringList{"提示:将d.jpg移动到b.jpg位置，是否确认"});
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "4"}));

        answer = true;
        model.checkAll();
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 1)));
        QCOMPARE(folder.contents(), (QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "4"}));
        QVERIFY(model.checkedFiles().isEmpty()); // reloaded
    }
};

QTEST_MAIN(tst_FileReorder)
#include "tst_FileReorder.moc"
