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
    void init()
    {
        m_tmp.reset(new QTemporaryDir);
        m_folder = m_tmp->path() + "/pages";
        QDir().mkpath(m_folder);
    }

    void folderNames_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("usable");
        // Archive numbers, Chinese, an inner dot, a name only like a device, 255 bytes.
        const QStringList usable{"文书·2023·永久·0001", "A.1", "COM10", QString(85, QChar(0x6587))};
        // Empty, dot names, separators, control and Windows-reserved characters, a
        // trailing dot or space, device names in any case or with a suffix, 258 bytes.
        QStringList refused{"",    ".",   "..",  "a/b", "a\\b",    "a\nb", "A:1",
                            "A|B", "A1.", "A1 ", "nul", "aux.txt", "lpt9"};
        refused << QString(86, QChar(0x6587));
        for (const QString& value : usable + refused) {
            const QString tag =
                value.size() > 20
                    ? QString("%1 bytes").arg(value.toUtf8().size())
                    : "“" + QString(value).replace('\t', "\\t").replace('\n', "\\n") + "”";
            QTest::newRow(qPrintable(tag)) << value << usable.contains(value);
        }
    }
    void folderNames()
    {
        QFETCH(QString, value);
        QFETCH(bool, usable);
        QCOMPARE(ItemFolderName::problem(value).isEmpty(), usable);
    }

    void staysInside_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("inside");
        QTest::newRow("child") << "A1" << true;
        QTest::newRow("folder itself") << "." << false;
        QTest::newRow("parent") << "../A1" << false;
        QTest::newRow("sibling with shared prefix") << "../out2/A1" << false;
        QTest::newRow("back inside") << "C1/../A1" << true;
        QTest::newRow("absolute elsewhere") << "/etc" << false;
    }
    void staysInside()
    {
        QFETCH(QString, path);
        QFETCH(bool, inside);
        QCOMPARE(ItemFolderName::staysInside(m_tmp->path() + "/out", path), inside);
    }

    void pageNumbersMoveRuns()
    {
        const QStringList sources = pages(m_folder, 16);
        const SplitPlan plan =
            planFor({"A1:5", "A2:9", "A3:12", "A4:15-20"}, SplitMode::PageNumber, sources);
        QVERIFY2(plan.ok(), qPrintable(plan.error));
        QCOMPARE(itemSizes(plan), QStringList({"A1:4", "A2:3", "A3:3", "A4:6"}));
        const SplitResult result = SplitMover().run(plan);
        QVERIFY2(result.ok, qPrintable(result.message));
        const QStringList onDisk = tree(m_folder);
        QCOMPARE(onDisk.size(), 16);
        QCOMPARE(onDisk.first(), QString("A1/img001.jpg=img001.jpg"));
        QVERIFY(onDisk.contains("A3/img010.jpg=img010.jpg"));
        QCOMPARE(onDisk.last(), QString("A4/img016.jpg=img016.jpg"));
        QCOMPARE(folders(m_folder), QStringList({"A1", "A2", "A3", "A4"}));
    }

    void countsSkipZeroAndText()
    {
        const QStringList sources = pages(m_folder, 5);
        const SplitPlan plan =
            planFor({"A:2", "B:0", "C:abc", "D:3.0"}, SplitMode::PageCount, sources);
        QVERIFY2(plan.ok(), qPrintable(plan.error));
        QCOMPARE(itemSizes(plan), QStringList({"A:2", "D:3"}));
        QCOMPARE(plan.warnings, QStringList({"B页数为0", "C页数为0"}));
        QVERIFY(SplitMover().run(plan).ok);
        QCOMPARE(tree(m_folder), QStringList({"A/img001.jpg=img001.jpg", "A/img002.jpg=img002.jpg",
                                              "D/img003.jpg=img003.jpg", "D/img004.jpg=img004.jpg",
                                              "D/img005.jpg=img005.jpg"}));
    }

    void renameKeepsSourceWidth()
    {
        QStringList sources = pages(m_folder, 3);
        sources << write(m_folder, "scan");
        const SplitPlan plan = planFor({"A:1", "B:3"}, SplitMode::PageCount, sources, true);
        QVERIFY(SplitMover().run(plan).ok);
        // Numbers restart in each item; a name without a suffix gets no trailing dot.
        QCOMPARE(tree(m_folder),
                 QStringList({"A/0000000001.jpg=img001.jpg", "B/0000000001.jpg=img002.jpg",
                              "B/0000000002.jpg=img003.jpg", "B/0003=scan"}));
    }

    void refusedLeavesEverythingInPlace_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QStringList& cells, SplitMode mode,
                            const QString& expected) {
            QTest::newRow(name) << cells << int(mode) << expected;
        };
        const SplitMode count = SplitMode::PageCount, number = SplitMode::PageNumber;
        row("parent path", {"A:1", "../evil:2"}, count, "第3行档号“../evil”");
        row("duplicate", {"A:1", "B:1", "A:1"}, count, "第4行档号“A”与第2行重复");
        row("existing folder", {"A:1", "taken:1"}, count,
            "第3行档号“taken”的文件夹或同名文件已存在");
        row("existing file", {"img002.jpg:1"}, count,
            "第2行档号“img002.jpg”的文件夹或同名文件已存在");
        row("above the files", {"A:3", "B:4"}, count, "第3行档号“B”超出文件数量");
        row("number not a number", {"A:1", "B:x", "C:5-6"}, number, "第3行页号“x”不是数字");
        row("not increasing", {"A:3", "B:3", "C:5-6"}, number, "第3行页号“3”没有大于第2行页号“3”");
        row("last range open", {"A:1", "B:4-"}, number, "第3行页号范围“4-”不明确或格式不正确");
        row("last row without range", {"A:1", "B:3"}, number, "第3行页号范围“3”");
    }
    void refusedLeavesEverythingInPlace()
    {
        QFETCH(QStringList, cells);
        QFETCH(int, mode);
        QFETCH(QString, expected);
        const QStringList sources = pages(m_folder, 6);
        QDir(m_folder).mkdir("taken");
        const QStringList before = tree(m_tmp->path());
        const SplitPlan plan = planFor(cells, SplitMode(mode), sources);
        QVERIFY2(plan.error.startsWith(expected), qPrintable(plan.error));
        const SplitResult result = SplitMover().run(plan);
        QVERIFY(!result.ok);
        QCOMPARE(result.message, plan.error);
        QCOMPARE(tree(m_tmp->path()), before);
        QCOMPARE(folders(m_folder), QStringList({"taken"}));
        QCOMPARE(folders(m_tmp->path()), QStringList({"pages"}));
    }

    void fewerPagesThanFilesLeavesRest()
    {
        const QStringList sources = pages(m_folder, 6);
        const SplitPlan plan = planFor({"A:2", "B:1"}, SplitMode::PageCount, sources);
        QCOMPARE(plan.remaining, 3);
        QVERIFY(SplitMover().run(plan).ok);
        QCOMPARE(QDir(m_folder).entryList(QDir::Files),
                 QStringList({"img004.jpg", "img005.jpg", "img006.jpg"}));
    }

    void failureHalfwayPutsPagesBack()
    {
        const QStringList sources = pages(m_folder, 8);
        const QStringList before = tree(m_folder);
        const SplitPlan plan = planFor({"A:2", "B:2", "C:2", "D:2"}, SplitMode::PageCount, sources);
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

    void undoRestoresNames()
    {
        const QStringList sources = pages(m_folder, 5);
        const QStringList before = tree(m_folder);
        const SplitPlan plan = planFor({"A:2", "B:3"}, SplitMode::PageCount, sources, true);
        SplitMover mover;
        QVERIFY(mover.run(plan).ok);
        QVERIFY(mover.canUndo());
        const SplitResult undone = mover.undo();
        QVERIFY2(undone.ok, qPrintable(undone.message));
        QCOMPARE(undone.pages, 5);
        QCOMPARE(tree(m_folder), before);
        QCOMPARE(folders(m_folder), QStringList());
        QVERIFY(!mover.canUndo());
        QVERIFY(!mover.undo().ok);
    }

private:
    SplitPlan planFor(const QStringList& cells, SplitMode mode, const QStringList& sources,
                      bool rename = false) const
    {
        return TabSplitPlanner::plan(m_folder, rowsOf(cells, mode), sources, mode, rename);
    }

    QScopedPointer<QTemporaryDir> m_tmp;
    QString m_folder;
};

QTEST_GUILESS_MAIN(TestTabSplit)
#include "tst_TabSplit.moc"
