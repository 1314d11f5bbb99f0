#include "FileTableModel.h"
#include "FolderBrowser.h"
#include "TestFiles.h"

#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestFiles;

class tst_FolderBrowser : public QObject
{
    Q_OBJECT
private slots:
    void folderChange_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("nextCode");
        QTest::newRow("empty") << QStringList() << 0 << 1;
        QTest::newRow("no digits") << QStringList{"cover.jpg", "readme.txt"} << 1 << 1;
        QTest::newRow("codes") << QStringList{"0007.jpg", "0012.tif", "0099.txt"} << 2 << 13;
    }
    void folderChange()
    {
        QFETCH(QStringList, names);
        QFETCH(int, pages);
        QFETCH(int, nextCode);
        QTemporaryDir dir;
        writeNamed(dir.path(), names);
        FolderBrowser browser;
        const QModelIndex folder = browser.rootIndex(dir.path());
        const FolderBrowser::FolderState state = browser.folderChanged(folder);
        QVERIFY(state.valid);
        QCOMPARE(browser.currentFolder(), dir.path());
        QCOMPARE(state.pageCount, pages);
        QCOMPARE(state.nextCode, nextCode);
        QCOMPARE(state.firstFile.isValid(), pages > 0);
        if (pages > 0)
            QCOMPARE(state.firstFile, browser.fileModel()->index(0, 1));
    }

    void clicks()
    {
        QTemporaryDir dir;
        writeNamed(dir.path(), {"1.jpg"});
        FolderBrowser browser;
        const QModelIndex folder = browser.rootIndex(dir.path());
        QVERIFY(browser.folderClicked(folder).folderChanged);
        browser.refresh(folder);
        const FolderBrowser::FolderClick click = browser.folderClicked(folder);
        QVERIFY(click.valid && !click.folderChanged);
        QCOMPARE(click.name, QDir(dir.path()).dirName());

        FileTableModel* files = browser.fileModel();
        QVERIFY(!browser.fileClicked(files->index(0, 1)));
        QVERIFY(browser.fileClicked(files->index(0, 0)));
        QCOMPARE(files->checkedFiles().size(), 1);

        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, "void index");
        QVERIFY(!browser.folderChanged(QModelIndex()).valid);
        QVERIFY(!browser.folderClicked(QModelIndex()).valid);
        QVERIFY(!browser.fileClicked(QModelIndex()));
        QCOMPARE(browser.currentFolder(), dir.path());
    }
};

QTEST_MAIN(tst_FolderBrowser)
#include "tst_FolderBrowser.moc"
