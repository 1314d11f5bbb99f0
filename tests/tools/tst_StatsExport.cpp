#include "StatsExport.h"
#include "StatsScanner.h"
#include "StatsTestPages.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace StatsTestPages;

// The billing sheet and the command that writes it, read back by other programs.
class TestStatsExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath("job");
        QVERIFY(QDir().mkpath(m_root + "/box1/file1"));
        QVERIFY(writePng(m_root + "/box1/a.png", pagePixels(210, 297, 300), 300));
        QVERIFY(writePng(m_root + "/box1/file1/b.png", pagePixels(420, 297, 300), 300));
        QVERIFY(writePng(m_root + "/box1/file1/c.png", QSize(13000, 9000), 254));
    }

    void workbookReadsBack()
    {
        if (!QFile::exists("/usr/bin/python3"))
            QSKIP("no /usr/bin/python3");
        QProcess probe;
        probe.start("/usr/bin/python3", {"-c", "import openpyxl"});
        if (!probe.waitForFinished() || probe.exitCode() != 0)
            QSKIP("openpyxl is not installed");

        DirStat root;
        root.name = "job";
        root.path = m_root;
        const StatsTotals totals = StatsScanner(1, {}).scan(root);
        const QString path = m_dir.filePath("bill.xlsx");
        QString reason;
        QVERIFY2(StatsExport::writeXlsx(path, root, totals, false, &reason), qPrintable(reason));

        QProcess python;
        python.start("/usr/bin/python3",
                     {"-c",
                      "import json,sys,openpyxl\n"
                      "book = openpyxl.load_workbook(sys.argv[1])\n"
                      "sheet = book.active\n"
                      "print(json.dumps([book.sheetnames] + [list(r) for r in "
                      "sheet.iter_rows(values_only=True)], ensure_ascii=False))",
                      path});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.exitCode(), 0);
        const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QCOMPARE(rows.size(), 1 + 1 + 3 + 1);
        QCOMPARE(rows.at(0).toArray().at(0).toString(), QString("幅面统计"));
        QCOMPARE(rows.at(1).toArray().at(1).toString(), QString("折合A4"));
        // Depth first: job, box1, file1; then the total.
        QCOMPARE(rows.at(2).toArray().at(0).toString(), QString("job"));
        QCOMPARE(rows.at(3).toArray().at(0).toString(), QString("box1"));
        const QJsonArray file1 = rows.at(4).toArray();
        QCOMPARE(file1.at(0).toString(), QString("file1"));
        QCOMPARE(file1.at(1).toInt(), 2); // the A3; 超A0 does not count in its row
        QCOMPARE(file1.at(3).toInt(), 1);
        QCOMPARE(file1.at(7).toInt(), 1);
        QCOMPARE(file1.at(8).toInt(), 2);
        QVERIFY(file1.at(9).toString().endsWith("MB"));
        QCOMPARE(file1.at(10).toString(), m_root + "/box1/file1");
        const QJsonArray total = rows.at(5).toArray();
        QCOMPARE(total.at(0).toString(), QString("统计"));
        QCOMPARE(total.at(1).toInt(), 1 + 2 + 16);
        QCOMPARE(total.at(8).toInt(), 3);
    }

    void failedExportKeepsTheOldFile()
    {
        DirStat root;
        root.path = m_root;
        const StatsTotals totals = StatsScanner(1, {}).scan(root);
        QString reason;
        QVERIFY(!StatsExport::writeXlsx(m_dir.filePath("no/such/dir/x.xlsx"), root, totals, false,
                                        &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(!StatsExport::writeCsv(m_dir.filePath("no/such/dir/x.csv"), root, totals, false,
                                       &reason));
    }

    void commandExitStatuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("not a directory") << QStringList{"stats", "/no/such/place"} << 2;
        QTest::newRow("tolerance out of range")
            << QStringList{"stats", "--tolerance", "100", "@root"} << 2;
        QTest::newRow("clean tree with both exports")
            << QStringList{"stats",       "--tolerance", "0",          "--xlsx",
                           "@out/t.xlsx", "--csv",       "@out/t.csv", "@root"}
            << 0;
        QTest::newRow("export cannot be written")
            << QStringList{"stats", "--csv", "@out/missing/t.csv", "@root"} << 1;
        QTest::newRow("an unreadable image") << QStringList{"stats", "@broken"} << 1;
    }
    void commandExitStatuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const QString broken = m_dir.filePath("broken");
        QVERIFY(QDir().mkpath(broken));
        QVERIFY(writeText(broken + "/x.jpg", "text"));
        for (QString& argument : arguments) {
            argument.replace("@root", m_root);
            argument.replace("@out", m_dir.path());
            argument.replace("@broken", broken);
        }
        QProcess tools;
        tools.start(TARVO_TOOLS, arguments);
        QVERIFY(tools.waitForFinished(60000));
        QCOMPARE(tools.exitCode(), status);
        if (status == 0) {
            const QString out = QString::fromUtf8(tools.readAllStandardOutput());
            QVERIFY2(out.contains("折合A4 21"), qPrintable(out));
            QFile csv(m_dir.filePath("t.csv"));
            QVERIFY(csv.open(QIODevice::ReadOnly));
            const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n');
            QVERIFY(lines.at(0).startsWith(QString::fromUtf8("\xEF\xBB\xBF") + "目录名,折合A4"));
            // 0 mm: the A4 counts as A4 (300 dpi), the A3 as A2.
            QVERIFY2(lines.at(4).startsWith("统计,21,1,0,1,0,0,1,3,"), qPrintable(lines.at(4)));
            QVERIFY(QFile::exists(m_dir.filePath("t.xlsx")));
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestStatsExport)
#include "tst_StatsExport.moc"
