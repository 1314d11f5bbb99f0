#include "../imaging/ReadOnlyGuard.h"
#include "CaseFolderImages.h"
#include "PageNumberCheck.h"
#include "SplitCopier.h"
#include "SplitTestFolder.h"
#include "ToolSplitPlanner.h"

#include <QtTest>

using namespace SplitTestFolder;

namespace {

// "C1|A1|5|4": case file, archive number, page number, page count; rows start at sheet row 2.
// The storage values follow the default rule: case file, archive number.
QVector<SplitRow> rowsOf(const QStringList& lines)
{
    QVector<SplitRow> rows;
    for (const QString& line : lines) {
        const QStringList cells = line.split('|');
        SplitRow row;
        row.sheetRow = rows.size() + 2;
        row.caseNo = cells.value(0);
        row.archiveNo = cells.value(1);
        row.pageNo = cells.value(2);
        row.pageCount = cells.value(3);
        row.storageValues = QStringList{row.caseNo, row.archiveNo};
        rows << row;
    }
    return rows;
}

QString joined(const QVector<qint64>& counts)
{
    QStringList texts;
    for (qint64 count : counts)
        texts << QString::number(count);
    return texts.join(',');
}

} // namespace

class TestToolSplit : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_tmp.reset(new QTemporaryDir);
        m_data = m_tmp->path() + "/data";
        m_out = m_tmp->path() + "/out";
        QDir().mkpath(m_data);
        QDir().mkpath(m_out);
    }

    void pageNumberCheck_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("checkCounts");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("counts");
        // Counts are compared only where no error is expected.
        const auto row = [](const char* name, const QStringList& lines, bool check,
                            const QString& error, const QString& counts = QString()) {
            QTest::newRow(name) << lines << check << error << counts;
        };
        row("1, 5, 9-12 -> 4, 4, 4", {"C1|A1|1|9", "C1|A2|5|0", "C1|A3|9-12|1"}, false, "",
            "4,4,4");
        row("two case files", {"C1|A1|1|2", "C1|A2|3-5|3", "C2|B1|1|4", "C2|B2|5-5|1"}, true, "",
            "2,3,4,1");
        row("count differs, checked", {"C1|A1|1|3", "C1|A2|5-6|2"}, true, "A1页数与页号不匹配");
        row("count differs, not checked", {"C1|A1|1|3", "C1|A2|5-6|2"}, false, "", "4,2");
        row("going back", {"C1|A1|5|0", "C1|A2|3-6|0"}, false, "A1的页号大于了A2的页号");
        row("next not a number", {"C1|A1|1|0", "C1|A2|x|0", "C1|A3|5-6|0"}, false,
            "A2页号格式错误");
        row("range inside a case file, bad", {"C1|A1|1-x|0", "C1|A2|5-6|0"}, false,
            "A1结束页码的页码范围不明确或格式不正确");
        row("range inside a case file, count differs", {"C1|A1|1-4|3", "C1|A2|5-6|2"}, true,
            "最后一行A1页数与页号不匹配");
        row("case file ends without range", {"C1|A1|1|0", "C1|A2|5|0", "C2|B1|1-2|0"}, false,
            "A2结束页码的页码范围不明确或格式不正确");
        row("case file ends backwards", {"C1|A1|9-3|0", "C2|B1|1-2|0"}, false,
            "A1的页号大于了B1的页号");
        row("last row without range", {"C1|A1|1|0", "C1|A2|5|0"}, false,
            "A2结束页码的页码范围不明确或格式不正确");
        row("last row backwards", {"C1|A1|1|0", "C1|A2|8-3|0"}, false, "A2页号范围错误");
        row("unselected case file not looked at", {"C9|Z1|x|0", "C9|Z2|y|0", "C1|A1|1-2|0"}, false,
            "", "0,0,2");
        row("one row is not checked", {"C1|A1|x|7"}, true, "", "7");
    }
    void pageNumberCheck()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, checkCounts);
        QFETCH(QString, error);
        QFETCH(QString, counts);
        const QVector<SplitRow> rows = rowsOf(lines);
        QVector<qint64> values;
        for (const SplitRow& row : rows)
            values << row.pageCount.toLongLong();
        QCOMPARE(PageNumberCheck(checkCounts, true).check(rows, {"C1", "C2"}, &values), error);
        if (error.isEmpty())
            QCOMPARE(joined(values), counts);
    }

    void caseFolderImages()
    {
        write(m_data, "b.JPG");
        write(m_data, "A.jpg");
        write(m_data, "a.png");
        write(m_data, "notes.txt");
        write(m_data, ".hidden.jpg");
        QDir(m_data).mkdir("sub.jpg");
        QFile::link(m_data + "/A.jpg", m_data + "/link.jpg");
        QCOMPARE(CaseFolderImages::list(m_data), QStringList({"A.jpg", "a.png", "b.JPG"}));
        QVERIFY(CaseFolderImages::list(m_data + "/missing").isEmpty());
    }

    void twoCaseFoldersContinueNumbering()
    {
        pages(m_data + "/C1", 5, "p");
        pages(m_data + "/C2", 3, "q");
        pages(m_data + "/C3", 2, "r"); // not chosen
        ToolSplitRequest r =
            request({"C1|A1|1|2", "C1|A2|3-5|3", "C3|X1|1-2|2", "C2|B1|1-3|3"}, {"C1", "C2"});
        r.rename = true;
        const SplitPlan plan = ToolSplitPlanner::plan(r);
        QVERIFY2(plan.ok(), qPrintable(plan.error));
        QStringList progress;
        SplitCopier copier;
        copier.setProgress([&](const QString& archiveNo) { progress << archiveNo; });
        const SplitResult result = copier.run(plan);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.message, QString("分件完成"));
        QCOMPARE(progress, QStringList({"A1", "A2", "B1"}));
        // p001.jpg has 8 characters: numbers run on across a case file's documents.
        QCOMPARE(tree(m_out),
                 QStringList({"C1/A1/00000001.jpg=p001.jpg", "C1/A1/00000002.jpg=p002.jpg",
                              "C1/A2/00000003.jpg=p003.jpg", "C1/A2/00000004.jpg=p004.jpg",
                              "C1/A2/00000005.jpg=p005.jpg", "C2/B1/00000001.jpg=q001.jpg",
                              "C2/B1/00000002.jpg=q002.jpg", "C2/B1/00000003.jpg=q003.jpg"}));
        QCOMPARE(tree(m_data).size(), 10); // copies: the sources stay
    }

    void pageNumbersSetCounts()
    {
        pages(m_data + "/C1", 12);
        ToolSplitRequest r = request({"C1|A1|1|7", "C1|A2|5|7", "C1|A3|9-12|7"}, {"C1"});
        r.mode = SplitMode::PageNumber;
        const SplitPlan plan = ToolSplitPlanner::plan(r);
        QVERIFY2(plan.ok(), qPrintable(plan.error));
        QCOMPARE(plan.items.size(), 3);
        for (const SplitPlanItem& item : plan.items)
            QCOMPARE(item.sources.size(), 4);
        QCOMPARE(QFileInfo(plan.items.at(2).sources.first()).fileName(), QString("img009.jpg"));
        r.checkPages = true;
        QCOMPARE(ToolSplitPlanner::plan(r).error, QString("A1页数与页号不匹配"));
    }

    void foldersAgainstTheList()
    {
        pages(m_data + "/C1", 4);
        pages(m_data + "/C2", 2);
        const ToolSplitRequest r =
            request({"C1|A1|1|1", "C1|A2|2|2", "C2|B1|1|2"}, {"C1", "C2", "C7"});
        const SplitPlan plan = ToolSplitPlanner::plan(r);
        QCOMPARE(plan.error,
                 QString("原文件数与条目不匹配：请检查C1\r\n目录与条目不匹配：请检查C7"));
        QVERIFY(!SplitCopier().run(plan).ok);
        QCOMPARE(tree(m_out), QStringList());
        const QMap<QString, qint64> totals = ToolSplitPlanner::caseFileTotals(r.rows, {1, 2, 2});
        QCOMPARE(totals.value("C1"), qint64(3));
        QCOMPARE(totals.value("C2"), qint64(2));
    }

    void refusedCopiesNothing_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("expected");
        const QString rule = "案卷档号/档号";
        QTest::newRow("parent path") << QStringList{"C1|A1|1|1", "C1|../evil|2|1"} << rule
                                     << "第3行档号“../evil”不能用作文件夹名";
        QTest::newRow("field not a header") << QStringList{"C1|A1|1|2"} << "案卷档号/件号"
                                            << "条目中不包含存储规则字段：件号";
        QTest::newRow("count not whole")
            << QStringList{"C1|A1|1|1", "C1|A2|2|1.5"} << rule << "页数格式错误：(3,4))";
        QTest::newRow("count negative")
            << QStringList{"C1|A1|1|-1"} << rule << "页数格式错误：(2,4))";
        QTest::newRow("existing target")
            << QStringList{"C1|A1|1|1", "C1|A2|2|1"} << rule << "第3行档号“A2”的目标文件已存在";
    }
    void refusedCopiesNothing()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, rule);
        QFETCH(QString, expected);
        pages(m_data + "/C1", 2);
        write(m_out + "/C1/A2", "img002.jpg");
        const QStringList before = tree(m_tmp->path());
        ToolSplitRequest r = request(lines, {"C1"});
        r.storageFields = ToolSplitPlanner::storageFields(rule);
        const SplitPlan plan = ToolSplitPlanner::plan(r);
        QVERIFY2(plan.error.startsWith(expected), qPrintable(plan.error));
        QVERIFY(plan.items.isEmpty());
        QVERIFY(!SplitCopier().run(plan).ok);
        QCOMPARE(tree(m_tmp->path()), before);
        QCOMPARE(folders(m_tmp->path()), QStringList({"data", "out"}));
        QCOMPARE(folders(m_out + "/C1"), QStringList({"A2"}));
    }

    void linkedDestinationRefused()
    {
        pages(m_data + "/C1", 2);
        QDir().mkpath(m_tmp->path() + "/elsewhere");
        QVERIFY(QFile::link(m_tmp->path() + "/elsewhere", m_out + "/C1"));
        const SplitPlan plan = ToolSplitPlanner::plan(request({"C1|A1|1|2"}, {"C1"}));
        QCOMPARE(plan.error, QString("第2行的保存位置“C1/A1”在保存目录之外"));
        QVERIFY(!SplitCopier().run(plan).ok);
        QCOMPARE(tree(m_tmp->path() + "/elsewhere"), QStringList());
    }

    void copyNeverOverwrites()
    {
        const QString source = write(m_data, "new.jpg");
        const QString target = write(m_out, "old.jpg");
        QVERIFY(!SplitCopier::copyFile(source, target).isEmpty());
        QCOMPARE(content(target), QString("old.jpg"));
        QVERIFY(SplitCopier::copyFile(source, m_out + "/fresh.jpg").isEmpty());
        QCOMPARE(tree(m_out), QStringList({"fresh.jpg=new.jpg", "old.jpg=old.jpg"}));
        QVERIFY(!SplitCopier::copyFile(m_data + "/gone.jpg", m_out + "/gone.jpg").isEmpty());
        QVERIFY(!QFile::exists(m_out + "/gone.jpg"));
    }

    void copyFailureStopsAndSays()
    {
        pages(m_data + "/C1", 6);
        QDir().mkpath(m_out + "/C1/A2");
        ReadOnlyGuard guard(m_out + "/C1/A2");
        QVERIFY(guard.ok());
        const SplitPlan plan =
            ToolSplitPlanner::plan(request({"C1|A1|1|2", "C1|A2|3|2", "C1|A3|5-6|2"}, {"C1"}));
        QVERIFY2(plan.ok(), qPrintable(plan.error));
        const SplitResult result = SplitCopier().run(plan);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.startsWith("分件未完成：已处理1件2页，拷贝文件失败：" + m_out +
                                           "/C1/A2/img003.jpg"),
                 qPrintable(result.message));
        QCOMPARE(tree(m_out),
                 QStringList({"C1/A1/img001.jpg=img001.jpg", "C1/A1/img002.jpg=img002.jpg"}));
        QCOMPARE(tree(m_data).size(), 6);
    }

    void cancelStopsBetweenPages()
    {
        pages(m_data + "/C1", 4);
        const SplitPlan plan = ToolSplitPlanner::plan(request({"C1|A1|1|2", "C1|A2|3|2"}, {"C1"}));
        std::atomic_bool cancelled{false};
        SplitCopier copier;
        copier.setCancelFlag(&cancelled);
        copier.setProgress([&](const QString& archiveNo) { cancelled = archiveNo == "A2"; });
        const SplitResult result = copier.run(plan);
        QCOMPARE(result.message, QString("分件未完成：已处理1件2页，已取消"));
        QCOMPARE(tree(m_out).size(), 2);
    }

private:
    ToolSplitRequest request(const QStringList& lines, const QStringList& selected) const
    {
        ToolSplitRequest r;
        r.dataDir = m_data;
        r.outputDir = m_out;
        r.headers = QStringList{"案卷档号", "档号", "页号", "页数"};
        r.storageFields = ToolSplitPlanner::storageFields(ToolSplitPlanner::defaultStorageRule());
        r.pageCountColumn = 4;
        r.rows = rowsOf(lines);
        r.selected = selected;
        return r;
    }

    QScopedPointer<QTemporaryDir> m_tmp;
    QString m_data;
    QString m_out;
};

QTEST_GUILESS_MAIN(TestToolSplit)
#include "tst_ToolSplit.moc"
