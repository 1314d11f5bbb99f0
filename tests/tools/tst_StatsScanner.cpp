#include "StatsScanner.h"
#include "StatsTestPages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace StatsTestPages;

// Counting real files: formats from headers, the tree, and what is left out.
class TestStatsScanner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void countsPagesByFormat_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("atZero");
        QTest::addColumn<QString>("atOne");
        // At 0 mm most scans fall one format too large; 1 mm brings them home.
        QTest::newRow("A4 200") << "A4" << 200 << "A3"
                                << "A4";
        QTest::newRow("A4 300") << "A4" << 300 << "A4"
                                << "A4";
        QTest::newRow("A3 600") << "A3" << 600 << "A2"
                                << "A3";
        QTest::newRow("A0 300") << "A0" << 300 << "A0"
                                << "A0";
        QTest::newRow("A0 600") << "A0" << 600 << "超A0"
                                << "A0";
    }
    void countsPagesByFormat()
    {
        QFETCH(QString, paper);
        QFETCH(int, dpi);
        QFETCH(QString, atZero);
        QFETCH(QString, atOne);
        const QSize mm = paper == "A4"   ? QSize(210, 297)
                         : paper == "A3" ? QSize(420, 297)
                                         : QSize(1189, 841);
        const QString folder = m_dir.filePath(QString("%1-%2").arg(paper).arg(dpi));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writePng(folder + "/page.png", pagePixels(mm.width(), mm.height(), dpi), dpi));
        for (int tolerance : {0, 1}) {
            DirStat root;
            root.path = folder;
            const StatsTotals totals = StatsScanner(tolerance, {}).scan(root);
            QCOMPARE(root.files.size(), 1);
            QCOMPARE(root.files.first().dpiText, QString("%1x%1").arg(dpi));
            QCOMPARE(root.files.first().format, tolerance == 0 ? atZero : atOne);
            QCOMPARE(totals.counts.value(tolerance == 0 ? atZero : atOne), 1);
        }
        QVERIFY(QDir(folder).removeRecursively());
    }

    void walksTheTreeSafely()
    {
        // root/            (nothing of its own)
        //   a/ 2 A4, a file without resolution, a hidden temporary, a text "jpg"
        //     loop -> ..   (a symbolic link to its parent)
        //   b/ one beyond A0, one 3-page TIFF at 150 dpi
        const QString root = m_dir.filePath("tree");
        QVERIFY(QDir().mkpath(root + "/a") && QDir().mkpath(root + "/b"));
        const QSize a4 = pagePixels(210, 297, 300);
        QVERIFY(writePng(root + "/a/1.png", a4, 300));
        QVERIFY(writeJpeg(root + "/a/2.JPG", a4, 300, true));
        QVERIFY(writePng(root + "/a/3.png", a4, 0));
        QVERIFY(writePng(root + "/a/.~scan.png", a4, 300));
        QVERIFY(writeText(root + "/a/notes.jpg", "minutes of the meeting"));
        QVERIFY(QFile::link(root, root + "/a/loop"));
        QVERIFY(writePng(root + "/b/map.png", QSize(13000, 9000), 254));
        QVERIFY(writeTiff(root + "/b/deed.tif", pagePixels(210, 297, 150), 150, 3, true));

        DirStat tree;
        tree.name = "tree";
        tree.path = root;
        QStringList problems, visited;
        StatsScanner::Hooks hooks;
        hooks.progress = [&visited](const QString& name) { visited << name; };
        hooks.problem = [&problems](const QString& line) { problems << line; };
        const StatsTotals totals = StatsScanner(1, {}).scan(tree, hooks);

        QCOMPARE(visited, QStringList({"tree", "a", "b"}));
        QCOMPARE(problems, QStringList{root + "/a/notes.jpg is void"});
        QCOMPARE(tree.fileCount, 0);
        QCOMPARE(tree.a4Equivalent, 0);
        QCOMPARE(tree.subDirs.size(), 2);

        const DirStat& a = tree.subDirs.at(0);
        QCOMPARE(a.fileCount, 3);
        QCOMPARE(a.count("A4"), 2);
        QCOMPARE(a.noResolution, 1);
        QCOMPARE(a.a4Equivalent, 2);
        QCOMPARE(a.files.at(2).dpiText, QString("0x0"));
        QVERIFY(a.files.at(2).format.isEmpty());

        const DirStat& b = tree.subDirs.at(1);
        QCOMPARE(b.files.at(0).pages, 3);
        QCOMPARE(b.files.at(0).colourText, QString("黑白图像"));
        QCOMPARE(b.count("超A0"), 1);
        QCOMPARE(b.count("A4"), 1);
        // Beyond A0 is billed in the total only.
        QCOMPARE(b.a4Equivalent, 1);

        QCOMPARE(totals.fileCount, 5);
        QCOMPARE(totals.noResolution, 1);
        QCOMPARE(totals.counts.value("A4"), 3);
        QCOMPARE(totals.a4Equivalent(), 3 + 16);
        QCOMPARE(totals.pages, 7);
        QCOMPARE(totals.multiPageFiles, 1);
        QCOMPARE(totals.underMinimumDpi, 1);
        QCOMPARE(totals.byResolution.value("0x0"), 1);
        QCOMPARE(totals.bytes, a.bytes + b.bytes);
    }

    void customSuffixesOnly()
    {
        const QString root = m_dir.filePath("suffixes");
        QVERIFY(QDir().mkpath(root));
        QVERIFY(writePng(root + "/a.png", QSize(100, 100), 300));
        QVERIFY(writeJpeg(root + "/b.jpeg", QSize(100, 100), 300, false));
        QCOMPARE(StatsScanner::splitSuffixes("jpg,,jpeg, tif,"),
                 QStringList({"jpg", "jpeg", "tif"}));
        DirStat dir;
        dir.path = root;
        StatsScanner(1, StatsScanner::splitSuffixes("jpg,jpeg,tif,tiff")).scan(dir);
        QCOMPARE(dir.fileCount, 1);
        QCOMPARE(dir.files.first().colourText, QString("灰度图像"));
    }

    void missingDirectoryIsLogged()
    {
        DirStat dir;
        dir.path = m_dir.filePath("gone");
        QStringList problems;
        StatsScanner::Hooks hooks;
        hooks.problem = [&problems](const QString& line) { problems << line; };
        const StatsTotals totals = StatsScanner(1, {}).scan(dir, hooks);
        QCOMPARE(problems, QStringList{dir.path + " is not exists"});
        QCOMPARE(totals.fileCount, 0);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestStatsScanner)
#include "tst_StatsScanner.moc"
