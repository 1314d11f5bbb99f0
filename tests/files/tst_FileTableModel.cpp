#include "TestFiles.h"

#include <QtTest>
#include <unistd.h>

class tst_FileTableModel : public QObject
{
    Q_OBJECT
private slots:
    void listingKeepsImagesInPlainCaseInsensitiveOrder()
    {
        TestFolder folder({"9.jpg", "10.jpg", "b.jpg", "B.jpg", "a.jpg", "A2.png", "x.TIF",
                           "扫描 001.jpg", "第二 页.png", "notes.txt", "data.xlsx", ".h.jpg"});
        QDir(folder.path()).mkdir("sub.jpg");
        QFile::link(folder.path("a.jpg"), folder.path("link.jpg"));
        folder.write("x.TIF", QByteArray(2048 + 1023, 'x')); // sizes round down
        // Listing sweeps a killed writer's temporary file (no pid is above 2^22),
        // never a running one's.
        const QString dead = ".tarvo-4194305-aBcDeF.jpg";
        const QString live = QString(".tarvo-%1-aBcDeF.jpg").arg(getpid());
        folder.write(dead, "x");
        folder.write(live, "x");
        folder.model.loadDir(folder.path() + "/");
        QVERIFY(!QFile::exists(folder.path(dead)) && QFile::exists(folder.path(live)));
        QStringList names;
        for (int row = 0; row < folder.model.rowCount(); ++row)
            names << folder.model.fileInfo(row).fileName;
        QCOMPARE(names, (QStringList{"10.jpg", "9.jpg", "a.jpg", "A2.png", "B.jpg", "b.jpg",
                                     "x.TIF", "扫描 001.jpg", "第二 页.png"}));
        QCOMPARE(folder.model.filePaths().at(7), folder.path("扫描 001.jpg"));
        QCOMPARE(folder.model.fileInfo(6).fileSize, QString("2kb"));
        QCOMPARE(folder.model.fileInfo(0).fileSize, QString("0kb"));
        QCOMPARE(folder.model.fileInfo(9).fileName, QString()); // past the end
        folder.model.loadDir(folder.path("missing"));           // must not keep the old rows
        QCOMPARE(folder.model.rowCount(), 0);
    }

    void checkMarksIgnoreMissingRows()
    {
        TestFolder folder({"a.jpg", "b.jpg", "c.jpg"});
        FileTableModel& model = folder.model;
        model.checkAll();
        model.setChecked({1, 7, -1}, false);
        model.toggleCheck(2);
        model.toggleCheck(9);
        QCOMPARE(model.checkedFiles().size(), 1);
        QCOMPARE(model.checkedFiles().first().fileName, QString("a.jpg"));
        QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    }

    void removeGoesToTheTrashAndKeepsRowsOfFailures()
    {
        QTemporaryDir data;
        // A folder that does not exist yet, as on a fresh account.
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.filePath("share")));
        TestFolder folder;
        FileTableModel& model = folder.model;
        model.setChecked({0, 2, 3}, true);
        QFile::remove(folder.path("d.jpg")); // gone already: only its row goes
        QVERIFY(model.removeChecked());
        QVERIFY(!QFile::exists(folder.path("a.jpg")));
        QVERIFY(QFile::exists(data.filePath("share/Trash/files/c.jpg")));
        QCOMPARE(model.lastRemoval().trashedAs.value(folder.path("a.jpg")),
                 data.filePath("share/Trash/files/a.jpg"));
        QCOMPARE(model.rowCount(), 1);

        QVERIFY(!model.removeFile(5));
        // No trash possible and deleting for good declined: file and row stay.
        QFile blocker(data.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName() + "/share"));
        int asked = 0;
        model.setAskPermanent([&asked] { return ++asked < 0; });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("remove file failed"));
        QVERIFY(!model.removeFile(0));
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(folder.path("b.jpg")));
        QCOMPARE(model.fileInfo(0).fileName, QString("b.jpg"));
    }
};

QTEST_MAIN(tst_FileTableModel)
#include "tst_FileTableModel.moc"
