#include "FolderBrowser.h"
#include "FolderTableModel.h"
#include "TestFiles.h"

#include <QtTest>

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
        // The last digit run counts; one too long for an int does not.
        QTest::newRow("last run, overlong")
            << QStringList{"A01-0003.jpg", "扫描 041.jpg", "99999999999.jpg"} << 3 << 42;
    }
    void folderChange()
    {
        QFETCH(QStringList, names);
        QFETCH(int, pages);
        TestFolder folder(names);
        FolderBrowser browser;
        const FolderBrowser::FolderState state =
            browser.folderChanged(browser.rootIndex(folder.path()));
        QVERIFY(state.valid);
        QCOMPARE(browser.currentFolder(), folder.path());
        QCOMPARE(state.pageCount, pages);
        QTEST(state.nextCode, "nextCode");
        QCOMPARE(state.firstFile, pages > 0 ? browser.fileModel()->index(0, 1) : QModelIndex());
    }

    void clicks()
    {
        TestFolder folder({"1.jpg"});
        FolderBrowser browser;
        const QModelIndex index = browser.rootIndex(folder.path());
        QVERIFY(browser.folderClicked(index).folderChanged);
        browser.refresh(index);
        const FolderBrowser::FolderClick click = browser.folderClicked(index);
        QVERIFY(click.valid && !click.folderChanged);

        FileTableModel* files = browser.fileModel();
        QVERIFY(!browser.fileClicked(files->index(0, 1)));
        QVERIFY(browser.fileClicked(files->index(0, 0)));
        QCOMPARE(files->checkedFiles().size(), 1);

        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, "void index");
        QVERIFY(!browser.folderChanged(QModelIndex()).valid);
        QVERIFY(!browser.folderClicked(QModelIndex()).valid);
        QVERIFY(!browser.fileClicked(QModelIndex()));
        QCOMPARE(browser.currentFolder(), folder.path());
    }

    void folderListShowsVisibleSubfoldersChecked()
    {
        TestFolder folder({"c.jpg"});
        for (const QString& name : {"b", "A 卷", ".hidden"})
            QDir(folder.path()).mkdir(name);
        FolderTableModel model;
        model.loadDir(folder.path());
        model.loadDir(folder.path()); // a reload does not add rows twice
        QCOMPARE(model.checkedFolders().size(), 2);
        model.toggleCheck(0); // A 卷
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.checkedFolders().first().folderName, QString("b"));
    }
};

QTEST_MAIN(tst_FolderBrowser)
#include "tst_FolderBrowser.moc"
