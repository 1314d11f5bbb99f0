#include "EntryMatcher.h"
#include "ItemBooks.h"
#include "ItemRecordSet.h"
#include "ItemWorkbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// n page images (and one file that is no page) in data/case/item.
void makeItem(const QString& data, const QString& relative, int images)
{
    const QString folder = data + '/' + relative;
    QVERIFY(QDir().mkpath(folder));
    for (int i = 1; i <= images; ++i)
        touch(folder + QString("/%1.jpg").arg(i, 4, 10, QChar('0')));
    touch(folder + "/notes.txt");
}

} // namespace

class TestEntryMatcher : public QObject
{
    Q_OBJECT

    QScopedPointer<QTemporaryDir> m_tmp;
    QString m_data;
    ItemRecordSet m_records;
    ItemHeaders m_headers;

    // Rows below the header 案卷档号, 档号, 页号, 页数.
    void load(const QVector<QVariantList>& rows)
    {
        QVector<QVariantList> all{{"案卷档号", "档号", "页号", "页数"}};
        all += rows;
        const QString book = m_tmp->filePath("items.xlsx");
        QVERIFY(writeItemBook(book, {itemSheet("条目", 1, 1, all)}));
        ItemWorkbook workbook;
        QCOMPARE(workbook.load(book), QString());
        QVERIFY(workbook.selectSheet("条目"));
        m_headers = workbook.headers(ItemHeaders::SkipEmpty);
        m_records.build(*workbook.currentSheet(), m_headers, "档号", "页数");
    }

    EntryMatcher::Result run(bool caseFile = true, bool check = false,
                             const QString& rule = "案卷档号/档号")
    {
        EntryMatcher::Options options;
        options.dataDir = m_data;
        options.rule = rule;
        options.caseFile = caseFile;
        options.checkPageNumbers = check;
        options.archiveNoHeader = "档号";
        options.pageNoHeader = "页号";
        options.pageCountHeader = "页数";
        options.caseFileHeader = "案卷档号";
        return EntryMatcher::match(m_records.itemRecords(), m_headers, options);
    }

private slots:
    void init()
    {
        m_tmp.reset(new QTemporaryDir);
        QVERIFY(m_tmp->isValid());
        m_data = m_tmp->filePath("data");
        QVERIFY(QDir().mkpath(m_data));
    }

    void pageCountsCompareAsNumbers_data()
    {
        QTest::addColumn<QVariant>("count");
        QTest::addColumn<int>("images");
        QTest::addColumn<bool>("matches");
        QTest::newRow("text with zero fraction") << QVariant("12.0") << 12 << true;
        QTest::newRow("one image short") << QVariant(12) << 11 << false;
        QTest::newRow("not a number") << QVariant("十二") << 12 << false;
    }
    void pageCountsCompareAsNumbers()
    {
        QFETCH(QVariant, count);
        QFETCH(int, images);
        QFETCH(bool, matches);
        load({{"J1", "J1-001", "1-12", count}});
        makeItem(m_data, "J1/J1-001", images);
        const EntryMatcher::Result result = run();
        QVERIFY(result.ok());
        QCOMPARE(result.errors,
                 matches ? QStringList() : QStringList{"原文页数与条目不匹配：J1-001"});
    }

    void countsOnlyTheNinePatterns()
    {
        const QString folder = m_tmp->filePath("pages");
        QVERIFY(QDir().mkpath(folder + "/sub.jpg"));
        for (const char* name : {"a.jpg", "b.jpeg", "c.png", "d.tif", "e.tiff", "f.bmp", "g.BMP",
                                 "h.TIF", "i.TIFF", "j.JPG", "k.Png", "l.pdf", "jpg"})
            touch(folder + '/' + name);
        QCOMPARE(EntryMatcher::countImages(folder), 9);
        QCOMPARE(EntryMatcher::countImages(m_tmp->filePath("absent")), 0);
    }

    void ruleFieldsMustBeHeaders()
    {
        load({{"J1", "J1-001", 1, 2}});
        QCOMPARE(run(true, false, "盒号/档号").failure, QString("条目中不包含匹配规则字段：盒号"));
        // Empty parts of the rule are dropped, not looked up.
        QVERIFY(run(false, false, "/档号/").ok());
    }

    void unsafeValuesNeverBecomePaths_data()
    {
        QTest::addColumn<QString>("archiveNo");
        QTest::newRow("parent") << "../evil";
        QTest::newRow("empty") << "";
    }
    void unsafeValuesNeverBecomePaths()
    {
        QFETCH(QString, archiveNo);
        // The row needs some value to count as a row.
        load({{"J1", archiveNo.isEmpty() ? QVariant() : QVariant(archiveNo), 1, 0}});
        QVERIFY(QDir().mkpath(m_tmp->filePath("evil")));
        const EntryMatcher::Result result = run(false, false, "档号");
        QCOMPARE(result.errors.size(), 1);
        QVERIFY2(result.errors.first().contains("不能作为目录名"),
                 qPrintable(result.errors.first()));
    }

    void consistentCaseFilePasses()
    {
        load({{"J1", "J1-001", 1, 2},
              {"J1", "J1-002", 3, 2},
              {"J1", "J1-003", "5-6", 2},
              {"J2", "J2-001", "1-4", 4}});
        makeItem(m_data, "J1/J1-001", 2);
        makeItem(m_data, "J1/J1-002", 2);
        makeItem(m_data, "J1/J1-003", 2);
        makeItem(m_data, "J2/J2-001", 4);
        const EntryMatcher::Result result = run(true, true);
        QVERIFY(result.ok());
        QVERIFY(result.errors.isEmpty());
        QVERIFY(result.unclaimed.isEmpty());
    }

    void reverseCheckListsWhatNoRowNames()
    {
        load({{"J1", "J1-001", 1, 2}, {"J1", "J1-002", 3, 0}});
        makeItem(m_data, "J1/J1-001", 2);
        QVERIFY(QDir().mkpath(m_data + "/J1/J1-002"));
        QVERIFY(QDir().mkpath(m_data + "/J1/J1-009"));
        QVERIFY(QDir().mkpath(m_data + "/J7"));
        touch(m_data + "/J1/stray.jpg");
        touch(m_data + "/readme.txt");
        const EntryMatcher::Result result = run();
        QVERIFY(result.ok());
        QVERIFY(result.errors.isEmpty()); // 0 pages in an empty folder is no mismatch
        QCOMPARE(result.unclaimed, (QStringList{
                                       "目录不属于任何条目：" + m_data + "/J7",
                                       "文件不属于任何条目：" + m_data + "/readme.txt",
                                       "条目目录中没有图像：" + m_data + "/J1/J1-002",
                                       "目录不属于任何条目：" + m_data + "/J1/J1-009",
                                       "文件不属于任何条目：" + m_data + "/J1/stray.jpg",
                                   }));
    }
};

QTEST_GUILESS_MAIN(TestEntryMatcher)
#include "tst_EntryMatcher.moc"
