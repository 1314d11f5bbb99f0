#include "../imaging/ReadOnlyGuard.h"
#include "ItemFolderName.h"
#include "SplitMover.h"
#include "SplitTestFolder.h"
#include "TabSplitPlanner.h"

#include <QtTest>

using namespace SplitTestFolder;

namespace {

// "A1:5" is the row archive number A1 with page number (or count) 5; rows start at sheet row 2.
QVector<SplitRow> rowsOf(const QStringList& cells, SplitMode mode)
{
    QVector<SplitRow> rows;
    for (const QString& cell : cells) {
        SplitRow row;
        row.sheetRow = rows.size() + 2;
        row.archiveNo = cell.section(':', 0, 0);
        (mode == SplitMode::PageNumber ? row.pageNo : row.pageCount) = cell.section(':', 1);
        rows << row;
    }
    return rows;
}

QStringList itemSizes(const SplitPlan& plan)
{
    QStringList sizes;
    for (const SplitPlanItem& item : plan.items)
        sizes << item.archiveNo + ':' + QString::number(item.sources.size());
    return sizes;
}

} // namespace

class TestTabSplit : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void folderNames_data();
    void folderNames();
    void staysInside_data();
    void staysInside();
    void pageNumbersMoveRuns();
    void countsSkipZeroAndText();
    void renameKeepsSourceWidth();
    void refusedLeavesEverythingInPlace_data();
    void refusedLeavesEverythingInPlace();
    void fewerPagesThanFilesLeavesRest();
    void failureHalfwayPutsPagesBack();
    void undoRestoresNames();

private:
    QScopedPointer<QTemporaryDir> m_tmp;
    QString m_folder;
};

void TestTabSplit::init()
{
    m_tmp.reset(new QTemporaryDir);
    m_folder = m_tmp->path() + "/pages";
    QDir().mkpath(m_folder);
}

void TestTabSplit::folderNames_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("usable");
    QTest::newRow("archive number") << "WS-2023-001" << true;
    QTest::newRow("chinese") << "文书·2023·永久·0001" << true;
    QTest::newRow("inner dot") << "A.1" << true;
    QTest::newRow("COM10 is not a device") << "COM10" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("parent path") << "../evil" << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("newline") << "a\nb" << false;
    QTest::newRow("colon") << "A:1" << false;
    QTest::newRow("star") << "A*" << false;
    QTest::newRow("question") << "A?" << false;
    QTest::newRow("quote") << "A\"" << false;
    QTest::newRow("angle") << "<A>" << false;
    QTest::newRow("pipe") << "A|B" << false;
    QTest::newRow("trailing dot") << "A1." << false;
    QTest::newRow("trailing space") << "A1 " << false;
    QTest::newRow("CON") << "CON" << false;
    QTest::newRow("nul lower case") << "nul" << false;
    QTest::newRow("reserved with suffix") << "aux.txt" << false;
    QTest::newRow("COM1") << "COM1" << false;
    QTest::newRow("LPT9") << "lpt9" << false;
    QTest::newRow("255 bytes") << QString(85, QChar(0x6587)) << true;
    QTest::newRow("258 bytes") << QString(86, QChar(0x6587)) << false;
}

void TestTabSplit::folderNames()
{
    QFETCH(QString, value);
    QFETCH(bool, usable);
    QCOMPARE(ItemFolderName::problem(value).isEmpty(), usable);
}

void TestTabSplit::staysInside_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("inside");
    QTest::newRow("child") << "A1" << true;
    QTest::newRow("nested") << "C1/A1" << true;
    QTest::newRow("folder itself") << "." << false;
    QTest::newRow("parent") << "../A1" << false;
    QTest::newRow("sibling with shared prefix") << "../out2/A1" << false;
    QTest::newRow("back inside") << "C1/../A1" << true;
    QTest::newRow("absolute elsewhere") << "/etc" << false;
}

void TestTabSplit::staysInside()
{
    QFETCH(QString, path);
    QFETCH(bool, inside);
    QCOMPARE(ItemFolderName::staysInside(m_tmp->path() + "/out", path), inside);
}

void TestTabSplit::pageNumbersMoveRuns()
{
    const QStringList sources = pages(m_folder, 16);
    const SplitPlan plan = TabSplitPlanner::plan(
        m_folder, rowsOf({"A1:5", "A2:9", "A3:12", "A4:15-20"}, SplitMode::PageNumber), sources,
        SplitMode::PageNumber, false);
    QVERIFY2(plan.ok(), qPrintable(plan.error));
    QCOMPARE(itemSizes(plan), QStringList({"A1:4", "A2:3", "A3:3", "A4:6"}));
    QStringList progress;
    SplitMover mover;
    mover.setProgress([&](const QString& archiveNo) { progress << archiveNo; });
    const SplitResult result = mover.run(plan);
    QVERIFY2(result.ok, qPrintable(result.message));
    QCOMPARE(result.message, QString("分件完成"));
    QCOMPARE(result.pages, 16);
    QCOMPARE(progress, QStringList({"A1", "A2", "A3", "A4"}));
    const QStringList onDisk = tree(m_folder);
    QCOMPARE(onDisk.size(), 16);
    QCOMPARE(onDisk.first(), QString("A1/img001.jpg=img001.jpg"));
    QVERIFY(onDisk.contains("A2/img007.jpg=img007.jpg"));
    QVERIFY(onDisk.contains("A3/img010.jpg=img010.jpg"));
    QCOMPARE(onDisk.last(), QString("A4/img016.jpg=img016.jpg"));
    QCOMPARE(folders(m_folder), QStringList({"A1", "A2", "A3", "A4"}));
}

void TestTabSplit::countsSkipZeroAndText()
{
    const QStringList sources = pages(m_folder, 5);
    const SplitPlan plan = TabSplitPlanner::plan(
        m_folder, rowsOf({"A:2", "B:0", "C:abc", "D:3.0"}, SplitMode::PageCount), sources,
        SplitMode::PageCount, false);
    QVERIFY2(plan.ok(), qPrintable(plan.error));
    QCOMPARE(itemSizes(plan), QStringList({"A:2", "D:3"}));
    QCOMPARE(plan.warnings, QStringList({"B页数为0", "C页数为0"}));
    QVERIFY(SplitMover().run(plan).ok);
    QCOMPARE(tree(m_folder), QStringList({"A/img001.jpg=img001.jpg", "A/img002.jpg=img002.jpg",
                                          "D/img003.jpg=img003.jpg", "D/img004.jpg=img004.jpg",
                                          "D/img005.jpg=img005.jpg"}));
}

void TestTabSplit::renameKeepsSourceWidth()
{
    QStringList sources = pages(m_folder, 3);
    sources << write(m_folder, "scan");
    const SplitPlan plan =
        TabSplitPlanner::plan(m_folder, rowsOf({"A:1", "B:3"}, SplitMode::PageCount), sources,
                              SplitMode::PageCount, true);
    QVERIFY(SplitMover().run(plan).ok);
    // Numbers restart in each item; a name without a suffix gets no trailing dot.
    QCOMPARE(tree(m_folder),
             QStringList({"A/0000000001.jpg=img001.jpg", "B/0000000001.jpg=img002.jpg",
                          "B/0000000002.jpg=img003.jpg", "B/0003=scan"}));
}

void TestTabSplit::refusedLeavesEverythingInPlace_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");
    const int count = int(SplitMode::PageCount);
    const int number = int(SplitMode::PageNumber);
    QTest::newRow("parent path") << QStringList{"A:1", "../evil:2"} << count
                                 << "第3行档号“../evil”";
    QTest::newRow("nested") << QStringList{"a/b:2"} << count << "第2行档号“a/b”";
    QTest::newRow("dot dot") << QStringList{"..:2"} << count << "第2行档号“..”";
    QTest::newRow("empty") << QStringList{":2"} << count << "第2行档号“”";
    QTest::newRow("duplicate") << QStringList{"A:1", "B:1", "A:1"} << count
                               << "第4行档号“A”与第2行重复";
    QTest::newRow("existing folder")
        << QStringList{"A:1", "taken:1"} << count << "第3行档号“taken”的文件夹或同名文件已存在";
    QTest::newRow("existing file")
        << QStringList{"img002.jpg:1"} << count << "第2行档号“img002.jpg”的文件夹或同名文件已存在";
    QTest::newRow("above the files")
        << QStringList{"A:3", "B:4"} << count << "第3行档号“B”超出文件数量";
    QTest::newRow("number not a number")
        << QStringList{"A:1", "B:x", "C:5-6"} << number << "第3行页号“x”不是数字";
    QTest::newRow("not increasing")
        << QStringList{"A:3", "B:3", "C:5-6"} << number << "第3行页号“3”没有大于第2行页号“3”";
    QTest::newRow("last range open")
        << QStringList{"A:1", "B:4-"} << number << "第3行页号范围“4-”不明确或格式不正确";
    QTest::newRow("last range backwards")
        << QStringList{"A:1", "B:6-4"} << number << "第3行页号范围“6-4”";
    QTest::newRow("last range three parts")
        << QStringList{"A:1", "B:2", "C:3-4-5"} << number << "第4行页号范围“3-4-5”";
    QTest::newRow("last row without range")
        << QStringList{"A:1", "B:3"} << number << "第3行页号范围“3”";
}

void TestTabSplit::refusedLeavesEverythingInPlace()
{
    QFETCH(QStringList, cells);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    const QStringList sources = pages(m_folder, 6);
    QDir(m_folder).mkdir("taken");
    const QStringList before = tree(m_tmp->path());
    const SplitPlan plan = TabSplitPlanner::plan(m_folder, rowsOf(cells, SplitMode(mode)), sources,
                                                 SplitMode(mode), false);
    QVERIFY2(plan.error.startsWith(expected), qPrintable(plan.error));
    const SplitResult result = SplitMover().run(plan);
    QVERIFY(!result.ok);
    QCOMPARE(result.message, plan.error);
    QCOMPARE(tree(m_tmp->path()), before);
    QCOMPARE(folders(m_folder), QStringList({"taken"}));
    QCOMPARE(folders(m_tmp->path()), QStringList({"pages"}));
}

void TestTabSplit::fewerPagesThanFilesLeavesRest()
{
    const QStringList sources = pages(m_folder, 6);
    const SplitPlan plan =
        TabSplitPlanner::plan(m_folder, rowsOf({"A:2", "B:1"}, SplitMode::PageCount), sources,
                              SplitMode::PageCount, false);
    QCOMPARE(plan.remaining, 3);
    QVERIFY(SplitMover().run(plan).ok);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files),
             QStringList({"img004.jpg", "img005.jpg", "img006.jpg"}));
}

void TestTabSplit::failureHalfwayPutsPagesBack()
{
    const QStringList sources = pages(m_folder, 8);
    const QStringList before = tree(m_folder);
    const SplitPlan plan =
        TabSplitPlanner::plan(m_folder, rowsOf({"A:2", "B:2", "C:2", "D:2"}, SplitMode::PageCount),
                              sources, SplitMode::PageCount, false);
    QScopedPointer<ReadOnlyGuard> guard;
    SplitMover mover;
    // C's folder turns read-only once A and B already hold their pages.
    mover.setProgress([&](const QString& archiveNo) {
        if (archiveNo == "C") {
            QVERIFY(QFile::exists(m_folder + "/B/img004.jpg"));
            guard.reset(new ReadOnlyGuard(m_folder + "/C"));
        }
    });
    const SplitResult result = mover.run(plan);
    QVERIFY(guard && guard->ok());
    guard.reset();
    QVERIFY(!result.ok);
    QVERIFY2(result.message.startsWith("分件未完成：已处理0件0页，移动"),
             qPrintable(result.message));
    QVERIFY2(result.message.contains("/C/img005.jpg"), qPrintable(result.message));
    QVERIFY(!mover.canUndo());
    QDir(m_folder).rmdir("C"); // an immutable folder cannot be removed before the guard goes
    QCOMPARE(tree(m_folder), before);
    QCOMPARE(folders(m_folder), QStringList());
}

void TestTabSplit::undoRestoresNames()
{
    const QStringList sources = pages(m_folder, 5);
    const QStringList before = tree(m_folder);
    const SplitPlan plan =
        TabSplitPlanner::plan(m_folder, rowsOf({"A:2", "B:3"}, SplitMode::PageCount), sources,
                              SplitMode::PageCount, true);
    SplitMover mover;
    QVERIFY(!mover.canUndo());
    QVERIFY(mover.run(plan).ok);
    QVERIFY(mover.canUndo());
    QVERIFY(tree(m_folder) != before);
    const SplitResult undone = mover.undo();
    QVERIFY2(undone.ok, qPrintable(undone.message));
    QCOMPARE(undone.pages, 5);
    QCOMPARE(tree(m_folder), before);
    QCOMPARE(folders(m_folder), QStringList());
    QVERIFY(!mover.canUndo());
    QVERIFY(!mover.undo().ok);
}

QTEST_GUILESS_MAIN(TestTabSplit)
#include "tst_TabSplit.moc"
