// Renumbering and find-and-replace: the preview rows, the checks that refuse a
// change before anything moves, and the one change that carries the rows out.
#include "BatchRenamePlan.h"
#include "PageNameCheck.h"
#include "TestFiles.h"

#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// "old>new" texts into rows and back.
QVector<RenameRow> rowsOf(const QStringList& pairs)
{
    QVector<RenameRow> rows;
    for (const QString& pair : pairs)
        rows.append({pair.section('>', 0, 0), pair.section('>', 1)});
    return rows;
}

QStringList pairsOf(const QVector<RenameRow>& rows)
{
    QStringList pairs;
    for (const RenameRow& row : rows)
        pairs << row.oldName + ">" + row.newName;
    return pairs;
}

QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QString("%1.jpg").arg(i, 4, 10, QChar('0'));
    return names;
}

QVector<RenameRow> renumbered(const QStringList& names, const QString& prefix = QString())
{
    return BatchRenamePlan::numbered(names, BatchRenamePlan::Files, prefix, 2, 4, true, "");
}

} // namespace

class tst_BatchRenamePlan : public QObject
{
    Q_OBJECT
private slots:
    void numbered_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("zeroFill");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("zero fill") << QStringList{"scan1.jpg", "scan2.jpg"} << 1 << true << ""
                                   << QStringList{"scan1.jpg>A-0999.jpg", "scan2.jpg>A-1000.jpg"};
        QTest::newRow("suffix, last extension kept")
            << QStringList{"x.y.TIF"} << 1 << false << "_s" << QStringList{"x.y.TIF>A-999_s.TIF"};
        QTest::newRow("folders take no extension")
            << QStringList{"卷 1", "vol.2"} << 2 << true << ""
            << QStringList{"卷 1>A-0999", "vol.2>A-1000"};
    }
    void numbered()
    {
        QFETCH(QStringList, names);
        QFETCH(int, mode);
        QFETCH(bool, zeroFill);
        QFETCH(QString, suffix);
        QTEST(pairsOf(BatchRenamePlan::numbered(names, BatchRenamePlan::Mode(mode), "A-", 999, 4,
                                                zeroFill, suffix)),
              "expected");
    }

    // Every occurrence, case-sensitive; an empty replacement lists the matches unchanged.
    void replaced()
    {
        const QStringList names{"IMG_1.jpg", "img_2.jpg", "IMG_IMG.jpg"};
        QCOMPARE(pairsOf(BatchRenamePlan::replaced(names, "IMG", "P")),
                 (QStringList{"IMG_1.jpg>P_1.jpg", "IMG_IMG.jpg>P_P.jpg"}));
        QCOMPARE(pairsOf(BatchRenamePlan::replaced(names, "IMG", "")),
                 (QStringList{"IMG_1.jpg>IMG_1.jpg", "IMG_IMG.jpg>IMG_IMG.jpg"}));
    }

    // Upwards by one: every target but the last is still held by a source.
    void renumberWithStartOffset()
    {
        const QStringList names = numberedNames(3);
        TestFolder pages(names);
        const auto outcome =
            BatchRenamePlan::run(pages.path(), renumbered(names), BatchRenamePlan::Files);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        const auto after = pages.snapshot();
        QCOMPARE(after.keys(), (QStringList{"0002.jpg", "0003.jpg", "0004.jpg"}));
        QCOMPARE(after.value("0002.jpg"), QByteArray("0001.jpg"));
        QCOMPARE(after.value("0004.jpg"), QByteArray("0003.jpg"));
        QCOMPARE(outcome.renamed.value(pages.path("0001.jpg")), pages.path("0002.jpg"));
    }

    void swapAndFolders()
    {
        TestFolder pages({"a.jpg", "b.jpg"});
        QVERIFY(QDir(pages.path()).mkpath("卷 1/sub") && QDir(pages.path()).mkdir("卷 2"));
        pages.write("卷 1/sub/p.jpg", "p");
        auto outcome = BatchRenamePlan::run(pages.path(), rowsOf({"a.jpg>b.jpg", "b.jpg>a.jpg"}),
                                            BatchRenamePlan::Files);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(pages.read("a.jpg") + pages.read("b.jpg"), QByteArray("b.jpga.jpg"));
        outcome = BatchRenamePlan::run(pages.path(), rowsOf({"卷 1>卷 2", "卷 2>卷 1"}),
                                       BatchRenamePlan::Folders);
        QVERIFY2(outcome.ok, qPrintable(outcome.message));
        QCOMPARE(pages.read("卷 2/sub/p.jpg"), QByteArray("p"));
    }

    // Each refusal names its row, and nothing on disk moves.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("checked rows into names of unchecked files")
            << QStringList{"a.jpg>c.jpg", "b.jpg>d.jpg"} << 1 << "第1行：“c.jpg”已存在";
        QTest::newRow("duplicate ignoring case")
            << QStringList{"a.jpg>X.jpg", "b.jpg>x.jpg"} << 1 << "第2行：新名称“x.jpg”与第1行重复";
        QTest::newRow("onto an unchanged row")
            << QStringList{"b.jpg>b.jpg", "a.jpg>b.jpg"} << 1 << "第2行：新名称“b.jpg”与第1行重复";
        QTest::newRow("another format")
            << QStringList{"a.jpg>a.tif"} << 1 << "第1行：“a.jpg”不能改为另一种格式";
        QTest::newRow("source gone")
            << QStringList{"a.jpg>e.jpg", "z.jpg>f.jpg"} << 1 << "第2行：“z.jpg”不存在";
        QTest::newRow("file as folder") << QStringList{"a.jpg>x"} << 2 << "第1行：“a.jpg”不存在";
    }
    void refusals()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, mode);
        TestFolder pages;
        const auto before = pages.snapshot();
        const auto outcome =
            BatchRenamePlan::run(pages.path(), rowsOf(rows), BatchRenamePlan::Mode(mode));
        QVERIFY(!outcome.ok);
        QTEST(outcome.message, "expected");
        QCOMPARE(pages.snapshot(), before);
    }

    // Another file takes a target while the change runs: the rename onto it
    // fails in the second phase and every page goes back.
    void failureMidwayRollsBack()
    {
        const QStringList names = numberedNames(5);
        TestFolder pages(names);
        const auto before = pages.snapshot();
        const auto outcome = BatchRenamePlan::run(pages.path(), renumbered(names),
                                                  BatchRenamePlan::Files, QString(), [&](int step) {
                                                      if (step == names.size() + 1)
                                                          pages.write("0006.jpg", "intruder");
                                                  });
        QVERIFY(!outcome.ok);
        QVERIFY(outcome.message.contains("重命名失败："));
        auto after = pages.snapshot();
        QCOMPARE(after.take("0006.jpg"), QByteArray("intruder"));
        QCOMPARE(after, before);
    }

    // A process killed among 300 renames: the next listing mends the folder.
    void killedMidway_data()
    {
        QTest::addColumn<int>("killAt");
        QTest::addColumn<bool>("expectNew");
        QTest::newRow("moving to temporary names") << 150 << false;
        QTest::newRow("moving to targets") << 450 << true;
    }
    void killedMidway()
    {
        QFETCH(int, killAt);
        QFETCH(bool, expectNew);
        const QStringList names = numberedNames(300);
        TestFolder pages(names);
        const auto rows = renumbered(names, "P");
        const pid_t child = fork();
        if (child == 0) {
            BatchRenamePlan::run(pages.path(), rows, BatchRenamePlan::Files, QString(),
                                 [killAt](int step) {
                                     if (step == killAt)
                                         _exit(3);
                                 });
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 3);

        pages.model.loadDir(pages.path());
        QCOMPARE(pages.model.rowCount(), 300);
        for (int row = 0; row < 300; ++row) {
            const QString name = pages.model.fileInfo(row).fileName;
            QCOMPARE(name, expectNew ? rows.at(row).newName : rows.at(row).oldName);
            QCOMPARE(pages.read(name), rows.at(row).oldName.toUtf8());
        }
    }

    void unsafeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("outside");
        QTest::addColumn<QString>("why");
        const QString tooLong = QString(86, QChar(0x4E00)) + ".jpg"; // 262 bytes
        QTest::newRow("slash") << "a/b.jpg" << 0 << false << "含有路径分隔符“/”";
        QTest::newRow("backslash") << "a\\b.jpg" << 0 << false << "含有路径分隔符“\\”";
        QTest::newRow("parent") << ".." << 1 << false << "不能是“..”";
        QTest::newRow("leading dot") << ".a.jpg" << 0 << false << "以点开头";
        QTest::newRow("control character") << "a\tb.jpg" << 0 << false << "含有控制字符";
        for (const char c : QByteArray("<>:\"|?*"))
            QTest::addRow("windows %c", c) << QString("a%1.jpg").arg(QChar(c)) << 0 << false
                                           << QString("含有Windows不允许的字符“%1”").arg(QChar(c));
        QTest::newRow("trailing dot") << "卷." << 1 << false << "以点或空格结尾";
        QTest::newRow("device") << "CON.jpg" << 0 << false << "是Windows的保留名";
        QTest::newRow("over 255 bytes") << tooLong << 0 << false << "超过255字节";
        QTest::newRow("not an image") << "a.txt" << 0 << false << "不是图像文件的扩展名";
        QTest::newRow("outside the data directory") << "a.jpg" << 0 << true << "不在数据目录内";
        QTest::newRow("good file") << "第 1 页.JPEG" << 0 << false << "";
        QTest::newRow("good folder") << "卷 1" << 1 << false << "";
    }
    void unsafeNames()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(bool, outside);
        QTemporaryDir root;
        const QString dir = outside ? QDir::tempPath() : root.filePath("卷");
        QTEST(PageNameCheck::problem(name, PageNameCheck::Kind(kind), dir, root.path()), "why");
    }
};

QTEST_GUILESS_MAIN(tst_BatchRenamePlan)
#include "tst_BatchRenamePlan.moc"
