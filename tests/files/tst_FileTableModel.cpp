#include "FileTableModel.h"
#include "FolderTableModel.h"
#include "TestFiles.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace TestFiles;

class tst_FileTableModel : public QObject
{
    Q_OBJECT
private:
    QStringList listedNames(const QString& dir)
    {
        FileTableModel model;
        model.loadDir(dir);
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names << model.fileInfo(row).fileName;
        return names;
    }

private slots:
    void listingKeepsImagesInPlainCaseInsensitiveOrder()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), {"9.jpg", "10.jpg", "b.jpg", "B.jpg", "a.jpg", "A2.png", "x.TIF",
                                "扫描 001.jpg", "第二 页.png", "notes.txt", "data.xlsx", ".h.jpg"});
        QDir(dir.path()).mkdir("sub.jpg");
        QFile::link(dir.path() + "/a.jpg", dir.path() + "/link.jpg");
        const QStringList expected{"10.jpg", "9.jpg", "a.jpg",        "A2.png",     "B.jpg",
                                   "b.jpg",  "x.TIF", "扫描 001.jpg", "第二 页.png"};
        QCOMPARE(listedNames(dir.path()), expected);
    }

    void recordsCarrySizeAndPath()
    {
        QTemporaryDir dir;
        write(dir.path() + "/small 页.jpg", QByteArray(1023, 'x'));
        write(dir.path() + "/big.jpg", QByteArray(2048 + 1000, 'x'));
        FileTableModel model;
        model.loadDir(dir.path() + "/");
        QCOMPARE(model.fileInfo(0).fileSize, QString("2kb"));
        QCOMPARE(model.fileInfo(1).fileSize, QString("0kb"));
        QCOMPARE(model.filePaths().at(1), dir.path() + "/small 页.jpg");
        QVERIFY(!model.fileInfo(0).checked);
        QCOMPARE(model.fileInfo(5).fileName, QString());
        QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
        QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable));
    }

    void unlistableFolderGivesEmptyList()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), {"1.jpg"});
        QVERIFY(listedNames(dir.path() + "/missing").isEmpty());
        if (runningAsRoot())
            QSKIP("root reads folders regardless of permissions");
        QFile::setPermissions(dir.path(), QFileDevice::WriteOwner);
        const QStringList names = listedNames(dir.path());
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        QVERIFY(names.isEmpty());
    }

    void maxTrailingNumber_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty folder") << QStringList() << 0;
        QTest::newRow("no digits") << QStringList{"cover.jpg", "back.png"} << 0;
        QTest::newRow("padded codes") << QStringList{"0007.jpg", "0012.tif"} << 12;
        QTest::newRow("last digit run") << QStringList{"A01-0003.jpg", "scan_0012.jpg"} << 12;
        QTest::newRow("too long for int") << QStringList{"99999999999.jpg", "5.png"} << 5;
        QTest::newRow("chinese") << QStringList{"扫描 041.jpg"} << 41;
    }
    void maxTrailingNumber()
    {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        writeNamed(dir.path(), names);
        FileTableModel model;
        model.loadDir(dir.path());
        QFETCH(int, expected);
        QCOMPARE(model.maxTrailingNumber(), expected);
    }

    void checkMarks()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), {"a.jpg", "b.jpg", "c.jpg"});
        FileTableModel model;
        model.loadDir(dir.path());
        model.checkAll();
        model.setChecked({1, 7, -1}, false);
        model.toggleCheck(2);
        model.toggleCheck(9);
        QCOMPARE(model.checkedFiles().size(), 1);
        QCOMPARE(model.checkedFiles().first().fileName, QString("a.jpg"));
        QCOMPARE(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        model.uncheckAll();
        QVERIFY(model.checkedFiles().isEmpty());
    }

    void removeCheckedStopsAtFirstFailure_data()
    {
        QTest::addColumn<bool>("permissionCase");
        QTest::newRow("folder in the way") << false;
        QTest::newRow("unwritable folder") << true;
    }
    void removeCheckedStopsAtFirstFailure()
    {
        QFETCH(bool, permissionCase);
        if (permissionCase && runningAsRoot())
            QSKIP("root deletes regardless of permissions");
        QTemporaryDir dir;
        writeNamed(dir.path(), {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        FileTableModel model;
        model.loadDir(dir.path());
        model.setChecked({0, 2, 3}, true);
        if (permissionCase) {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            model.setChecked({0}, false);
        } else {
            QFile::remove(dir.path() + "/c.jpg");
            QDir(dir.path()).mkdir("c.jpg");
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("remove file failed"));
        QVERIFY(!model.removeChecked());
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        QVERIFY(QFile::exists(dir.path() + "/d.jpg"));
        QCOMPARE(QFile::exists(dir.path() + "/a.jpg"), permissionCase);
        QCOMPARE(model.rowCount(), permissionCase ? 4 : 3);
    }

    void removeFile()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), {"a.jpg", "b.jpg"});
        FileTableModel model;
        model.loadDir(dir.path());
        QVERIFY(model.removeFile(0));
        QVERIFY(!model.removeFile(5));
        QCOMPARE(model.fileInfo(0).fileName, QString("b.jpg"));
        QVERIFY(!QFile::exists(dir.path() + "/a.jpg"));
    }

    void folderModelListsVisibleSubfoldersChecked()
    {
        QTemporaryDir dir;
        for (const QString& name : {"b", "A 卷", ".hidden"})
            QDir(dir.path()).mkdir(name);
        writeNamed(dir.path(), {"c.jpg"});
        FolderTableModel model;
        model.loadDir(dir.path());
        model.loadDir(dir.path());
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.folderInfo(0).folderName, QString("A 卷"));
        QCOMPARE(model.checkedFolders().size(), 2);
        model.toggleCheck(0);
        QCOMPARE(model.checkedFolders().first().folderName, QString("b"));
    }
};

QTEST_MAIN(tst_FileTableModel)
#include "tst_FileTableModel.moc"
