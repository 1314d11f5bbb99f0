// tarvo-archive split and check as the operator runs them: a real process over
// real folders, judged by its exit status, its output and the files it left.
#include "ItemBooks.h"
#include "ItemWorkbook.h"
#include "XlsxSheet.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class ArchiveCommandTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_book;
    QString m_qcBook;

    QString data() const { return m_dir.filePath("data"); }
    // Item folders as a split leaves them: qc/J1/J1-1 (2 pages), qc/J1/J1-2 (3).
    QString qc() const { return m_dir.filePath("qc"); }
    static bool writePages(const QString& folder, int count)
    {
        if (!QDir().mkpath(folder))
            return false;
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int i = 1; i <= count; ++i) {
            if (!image.save(QStringLiteral("%1/p%2.jpg").arg(folder).arg(i)))
                return false;
        }
        return true;
    }
    QString out() const { return m_dir.filePath("out"); }
    static QStringList filesUnder(const QString& dir)
    {
        QStringList files;
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(dir).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    struct Run
    {
        int status = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& arguments) const
    {
        QProcess process;
        process.start(QStringLiteral(TARVO_ARCHIVE_EXE), arguments);
        Run result;
        if (!process.waitForFinished(60000))
            return result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // J1: 5 pages in documents of 2 and 3; J2: 3 pages in one document.
        QVERIFY(writePages(data() + "/J1", 5) && writePages(data() + "/J2", 3));
        m_book = m_dir.filePath("items.xlsx");
        QVERIFY(writeItemBook(m_book, {itemSheet("条目", 1, 1,
                                                 {{"案卷档号", "档号", "页号", "页数"},
                                                  {"J1", "J1-1", 1, 2},
                                                  {"J1", "J1-2", "3-5", 3},
                                                  {"J2", "J2-1", "1-3", 4}})}));
        QVERIFY(writePages(qc() + "/J1/J1-1", 2));
        QVERIFY(writePages(qc() + "/J1/J1-2", 3));
        m_qcBook = m_dir.filePath("qc.xlsx");
        const QVariantList header{"案卷档号", "档号", "页号", "页数", "题名"};
        // The consistent sheet has an empty row between its items.
        QVERIFY(writeItemBook(
            m_qcBook,
            {itemSheet("一致", 1, 1,
                       {header, {"J1", "J1-1", 1, 2, "甲"}, {}, {"J1", "J1-2", "3-5", 3, "乙"}}),
             itemSheet("页数不符", 1, 1, {header, {"J1", "J1-1", 1, 2}, {"J1", "J1-2", "3-6", 4}}),
             itemSheet("少条目", 1, 1, {header, {"J1", "J1-1", 1, 2}})}));
    }
    void init()
    {
        QDir(out()).removeRecursively();
        QVERIFY(QDir().mkpath(out()));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("options"); // before the folders
        QTest::addColumn<QStringList>("folders"); // under data()
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // a line of stdout (0) or stderr
        QTest::addColumn<QStringList>("copied");
        const QStringList common{"--archive-col", "档号", "--count-col", "页数"};
        QTest::newRow("by page number")
            << (common + QStringList{"--by", "pageno", "--page-col", "页号"})
            << QStringList{"J1", "J2"} << 0 << "分件完成：3件8页"
            << QStringList{"J1/J1-1/p1.jpg", "J1/J1-1/p2.jpg", "J1/J1-2/p3.jpg", "J1/J1-2/p4.jpg",
                           "J1/J1-2/p5.jpg", "J2/J2-1/p1.jpg", "J2/J2-1/p2.jpg", "J2/J2-1/p3.jpg"};
        QTest::newRow("by count, renamed, one case file")
            << (common + QStringList{"--by", "count", "--rename", "--rule", "档号"})
            << QStringList{"J1"} << 0 << "分件完成：2件5页"
            << QStringList{"J1-1/000001.jpg", "J1-1/000002.jpg", "J1-2/000003.jpg",
                           "J1-2/000004.jpg", "J1-2/000005.jpg"};
        // J2's row says 4 pages, its folder holds 3.
        QTest::newRow("count mismatch")
            << (common + QStringList{"--by", "count"}) << QStringList{"J1", "J2"} << 1
            << "原文件数与条目不匹配：请检查J2" << QStringList();
        QTest::newRow("checked page numbers")
            << (common + QStringList{"--by", "count", "--check-pages", "--page-col", "页号"})
            << QStringList{"J2"} << 1 << "最后一行J2-1页数与页号不匹配" << QStringList();
        QTest::newRow("no such header")
            << QStringList{"--archive-col", "档号", "--count-col", "张数", "--by", "count"}
            << QStringList{"J1"} << 2 << "条目中没有这一列：张数" << QStringList();
        QTest::newRow("no folder") << (common + QStringList{"--by", "count"}) << QStringList() << 2
                                   << "缺少案卷目录" << QStringList();
    }
    void exitStatus()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, folders);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QStringList, copied);
        QStringList arguments{"split", "--list", m_book, "--out", out()};
        arguments << options;
        for (const QString& folder : folders)
            arguments << data() + '/' + folder;
        const Run result = run(arguments);
        QCOMPARE(result.status, status);
        const QStringList lines =
            (status == 0 ? result.out : result.err).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(said), qPrintable(result.out + result.err));
        QCOMPARE(filesUnder(out()), copied);
        QCOMPARE(filesUnder(data()).size(), 8);
    }

    void check_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // a line of stdout (0, 1) or stderr (2)
        const QStringList common{"--type", "案卷", "--archive-col", "档号", "--count-col", "页数"};
        const QString done = "核对完成：%1条条目，%2条不匹配，%3项不属于任何条目";
        QTest::newRow("consistent")
            << (common + QStringList{"--sheet", "一致"}) << 0 << done.arg(2).arg(0).arg(0);
        QTest::newRow("page count mismatch")
            << (common + QStringList{"--sheet", "页数不符"}) << 1 << "原文页数与条目不匹配：J1-2";
        // A folder no row names fails the check as a mismatch does.
        QTest::newRow("folder no row names") << (common + QStringList{"--sheet", "少条目"}) << 1
                                             << "目录不属于任何条目：" + qc() + "/J1/J1-2";
        QTest::newRow("one document each, by archive number only")
            << QStringList{"--type",      "一文一件", "--archive-col", "档号",
                           "--count-col", "页数",     "--sheet",       "一致"}
            << 1 << "不存在目录：" + qc() + "/J1-1";
        QTest::newRow("unknown sheet")
            << (common + QStringList{"--sheet", "无"}) << 2 << "条目excel中没有sheet页：无";
        QTest::newRow("export over the list")
            << (common + QStringList{"--xlsx", m_dir.filePath("./qc.xlsx")}) << 2
            << "不能导出到导入的条目excel，请另选文件：" + m_dir.filePath("./qc.xlsx");
    }
    void check()
    {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Run result =
            run(QStringList{"check", "--list", m_qcBook} + options + QStringList{qc()});
        QCOMPARE(result.status, status);
        const QStringList lines =
            (status < 2 ? result.out : result.err).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(said), qPrintable(result.out + result.err));
    }
    void checkExportKeepsRows()
    {
        const QString exported = m_dir.filePath("export.xlsx");
        const Run result =
            run({"check", "--list", m_qcBook, "--sheet", "一致", "--type", "案卷", "--archive-col",
                 "档号", "--count-col", "页数", "--xlsx", exported, qc()});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.contains("导出完成：" + exported), qPrintable(result.err));
        ItemWorkbook book;
        QCOMPARE(book.load(exported), QString());
        QVERIFY(book.selectSheet(book.sheetNames().value(0)));
        const XlsxSheet& sheet = *book.currentSheet();
        QCOMPARE(sheet.cell(1, 2).toString(), QString("档号"));
        QCOMPARE(sheet.cell(2, 2).toString(), QString("J1-1"));
        QVERIFY(!sheet.hasValues(3));
        QCOMPARE(sheet.cell(4, 2).toString(), QString("J1-2"));
        QCOMPARE(sheet.cell(4, 5).toString(), QString("乙"));
        QCOMPARE(sheet.lastRow(), 4);
    }

    void usageErrorsExitTwo()
    {
        QCOMPARE(run({"splt"}).status, 2);
        QCOMPARE(run({}).status, 2);
        QCOMPARE(run({"check", "--list", m_dir.filePath("none.xlsx"), "--type", "案卷",
                      "--archive-col", "档号", "--count-col", "页数", qc()})
                     .status,
                 2);
    }
};

QTEST_GUILESS_MAIN(ArchiveCommandTest)
#include "tst_ArchiveCommand.moc"
