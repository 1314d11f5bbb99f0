#include "FileMover.h"
#include "FileTableModel.h"
#include "TestFiles.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace TestFiles;

// Reordering renames files on disk: names stay as slots, contents move.
class tst_FileReorder : public QObject
{
    Q_OBJECT
private:
    const QStringList kNames{"a.jpg", "b.jpg", "c.jpg", "d.jpg"};

    // Contents in name order, plus the number of entries in the folder.
    static QStringList contents(const QString& dir)
    {
        QStringList result;
        for (const QString& name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            result << QString::fromUtf8(read(dir + "/" + name));
        result << QString::number(QDir(dir).entryList(QDir::Files).size());
        return result;
    }

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
        QTemporaryDir dir;
        writeNamed(dir.path(), kNames);
        FileTableModel model;
        model.loadDir(dir.path());
        QCOMPARE(model.moveFile(from, to), from != to);
        QFETCH(QStringList, expected);
        QCOMPARE(contents(dir.path()), expected);
    }

    void takenTemporaryNameIsRedrawnNotOverwritten()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), kNames);
        write(dir.path() + "/d-AAAAAAAA.jpg", "keep");
        QStringList tags{"AAAAAAAA", "BBBBBBBB"};
        FileMover mover([&tags] { return tags.takeFirst(); });
        QStringList paths;
        for (const QString& name : kNames)
            paths << dir.path() + "/" + name;
        QVERIFY(mover.move(paths, 3, 1).ok);
        QVERIFY(tags.isEmpty());
        QCOMPARE(read(dir.path() + "/d-AAAAAAAA.jpg"), QByteArray("keep"));
        QCOMPARE(contents(dir.path()), (QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "5"}));
    }

    void failedRenameLeavesFolderAsItWas()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), kNames);
        FileTableModel model;
        model.loadDir(dir.path());
        QString toast;
        model.setErrorNotifier([&toast](const QString& text) { toast = text; });
        QFile::remove(dir.path() + "/b.jpg"); // vanished behind the list's back
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("重命名失败"));
        QVERIFY(!model.moveFile(1, 3));
        QVERIFY(toast.startsWith("重命名失败:" + dir.path() + "/b.jpg -> "));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("重命名失败"));
        QVERIFY(!model.moveFile(3, 0)); // the shift b -> c fails half-way
        QCOMPARE(toast, "重命名失败:" + dir.path() + "/b.jpg -> " + dir.path() + "/c.jpg");
        QCOMPARE(contents(dir.path()), (QStringList{"a.jpg", "<missing>", "c.jpg", "d.jpg", "3"}));
    }

    void drop()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), kNames);
        FileTableModel model;
        model.loadDir(dir.path());
        QStringList asked;
        bool answer = false;
        model.setConfirmHandler([&](const QString& title, const QString& text) {
            asked << title + ":" + text;
            return answer;
        });
        std::unique_ptr<QMimeData> data(model.mimeData({model.index(3, 1)}));
        QCOMPARE(data->data("row"), QByteArray("3"));

        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, 2, 0, QModelIndex()));
        QVERIFY(!model.dropMimeData(data.get(), Qt::CopyAction, -1, -1, model.index(1, 1)));
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(3, 1)));
        QVERIFY(asked.isEmpty());
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 1)));
        QCOMPARE(asked, QStringList{"提示:将d.jpg移动到b.jpg位置，是否确认"});
        QCOMPARE(contents(dir.path()), (QStringList{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "4"}));

        answer = true;
        model.checkAll();
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.index(1, 1)));
        QCOMPARE(contents(dir.path()), (QStringList{"a.jpg", "d.jpg", "b.jpg", "c.jpg", "4"}));
        QCOMPARE(model.rowCount(), 4);
        QVERIFY(model.checkedFiles().isEmpty()); // reloaded
    }
};

QTEST_MAIN(tst_FileReorder)
#include "tst_FileReorder.moc"
