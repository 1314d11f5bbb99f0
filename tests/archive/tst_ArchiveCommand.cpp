// tarvo-archive split as the operator runs it: a real process over real
// folders, judged by its exit status, its output and the files it left.
#include "ItemBooks.h"

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

    QString data() const { return m_dir.filePath("data"); }
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
        for (const auto& caseFile : {qMakePair(QString("J1"), 5), qMakePair(QString("J2"), 3)}) {
            QVERIFY(QDir().mkpath(data() + '/' + caseFile.first));
            for (int i = 1; i <= caseFile.second; ++i) {
                QImage image(8, 6, QImage::Format_RGB32);
                image.fill(Qt::white);
                QVERIFY(
                    image.save(QStringLiteral("%1/%2/p%3.jpg").arg(data(), caseFile.first).arg(i)));
            }
        }
        m_book = m_dir.filePath("items.xlsx");
        QVERIFY(writeItemBook(m_book, {itemSheet("条目", 1, 1,
                                                 {{"案卷档号", "档号", "页号", "页数"},
                                                  {"J1", "J1-1", 1, 2},
                                                  {"J1", "J1-2", "3-5", 3},
                                                  {"J2", "J2-1", "1-3", 4}})}));
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
        QTest::newRow("bad mode") << (common + QStringList{"--by", "pages"}) << QStringList{"J1"}
                                  << 2 << "--by 只能是 count 或 pageno：pages" << QStringList();
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

    void unknownCommandIsAUsageError()
    {
        QCOMPARE(run({"splt"}).status, 2);
        QCOMPARE(run({}).status, 2);
    }
};

QTEST_GUILESS_MAIN(ArchiveCommandTest)
#include "tst_ArchiveCommand.moc"
