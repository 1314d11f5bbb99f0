#include "ItemBooks.h"
#include "ItemColumnPresets.h"
#include "ItemHeaders.h"
#include "ItemRecordSet.h"
#include "ItemWorkbook.h"
#include "SheetRows.h"
#include "XlsxSheet.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kArchiveNo = QStringLiteral("档号");
const QString kPageCount = QStringLiteral("页数");

} // namespace

class TestItemRecords : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // The named sheet of a freshly written one-sheet workbook.
    const XlsxSheet* load(ItemWorkbook& book, const ItemSheet& sheet)
    {
        const QString path = m_dir.filePath(sheet.name + QStringLiteral(".xlsx"));
        if (!writeItemBook(path, {sheet}) || !book.load(path).isEmpty() ||
            !book.selectSheet(sheet.name))
            return nullptr;
        return book.currentSheet();
    }

private slots:
    void duplicateHeadersKeepEveryColumn()
    {
        ItemWorkbook book;
        const XlsxSheet* sheet = load(
            book, itemSheet("dup", 1, 1,
                            {{"档号", "题名", "页数", "题名"}, {"A-1", "first", 3, "second"}}));
        QVERIFY(sheet);
        const ItemHeaders headers = ItemHeaders::read(*sheet, ItemHeaders::SkipEmpty);
        QCOMPARE(headers.names(), QStringList({"档号", "题名", "页数", "题名"}));
        QCOMPARE(headers.column("题名"), 4);
        ItemRecordSet set;
        set.build(*sheet, headers, kArchiveNo, kPageCount);
        QCOMPARE(set.itemRecords().size(), 1);
        const ItemRecord& record = set.itemRecords().first();
        QCOMPARE(record.valueAt(1).toString(), QString("first"));
        QCOMPARE(record.valueAt(3).toString(), QString("second"));
        QCOMPARE(record.text("题名"), QString("second"));
    }

    void recordsInSheetOrderAndByArchiveNo()
    {
        ItemWorkbook book;
        const XlsxSheet* sheet = load(book, itemSheet("recs", 1, 1,
                                                      {{"档号", "页数", "rowNo"},
                                                       {2023000000, 3, "fake"},
                                                       {"B-1", 4, 99},
                                                       {2023000000, 5, QVariant()}}));
        QVERIFY(sheet);
        ItemRecordSet set;
        set.build(*sheet, ItemHeaders::read(*sheet, ItemHeaders::SkipEmpty), kArchiveNo,
                  kPageCount);
        const QVector<ItemRecord>& records = set.itemRecords();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0].archiveNo(), QString("2023000000"));
        // A column headed "rowNo" is a field: the sheet row stays the row.
        QCOMPARE(records[1].row(), 3);
        QCOMPARE(records[1].text("rowNo"), QString("99"));
        // An absent cell is the empty text.
        QCOMPARE(records[2].value("rowNo"), QVariant(QString()));
        QCOMPARE(set.itemsByArchiveNo().size(), 2);
        QCOMPARE(set.itemsByArchiveNo().value("2023000000").row(), 4);
        QVERIFY(records[1].describe().startsWith("rowNo=3, 档号=B-1, 页数=4"));
    }

    void emptyRowsAreSkipped()
    {
        ItemWorkbook book;
        const XlsxSheet* sheet = load(
            book, itemSheet("gaps", 1, 1,
                            {{"档号", "页数"}, {"A-1", 2}, {}, {" ", ""}, {"A-2", 3}, {}, {"  "}}));
        QVERIFY(sheet);
        QCOMPARE(SheetRows::dataRows(*sheet, 2), QVector<int>({2, 5}));
        ItemRecordSet set;
        set.build(*sheet, ItemHeaders::read(*sheet, ItemHeaders::SkipEmpty), kArchiveNo,
                  kPageCount);
        QCOMPARE(set.itemRecords().size(), 2);
        QCOMPARE(set.itemRecords().last().row(), 5);
        // Built again from scratch, never added to.
        set.build(*sheet, ItemHeaders::read(*sheet, ItemHeaders::SkipEmpty), kArchiveNo,
                  kPageCount);
        QCOMPARE(set.itemRecords().size(), 2);
    }

    void pageCountThatIsNoWholeNumberIsLoggedAndKept_data()
    {
        QTest::addColumn<QVariant>("pages");
        QTest::addColumn<bool>("warned");
        QTest::newRow("text digits") << QVariant("12") << false;
        QTest::newRow("fraction") << QVariant(12.5) << true;
    }
    void pageCountThatIsNoWholeNumberIsLoggedAndKept()
    {
        QFETCH(QVariant, pages);
        QFETCH(bool, warned);
        ItemWorkbook book;
        const XlsxSheet* sheet = load(
            book, itemSheet(QTest::currentDataTag(), 1, 1, {{"档号", "页数"}, {"A-1", pages}}));
        QVERIFY(sheet);
        if (warned)
            QTest::ignoreMessage(QtWarningMsg, "第[2]行[页数]格式错误：不是数字格式");
        ItemRecordSet set;
        set.build(*sheet, ItemHeaders::read(*sheet, ItemHeaders::SkipEmpty), kArchiveNo,
                  kPageCount);
        QCOMPARE(set.itemRecords().size(), 1);
        QCOMPARE(set.itemRecords().first().value(kPageCount), pages);
    }

    void presets_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("chosen"); // 档号, 页号, 页数, 案卷档号
        QTest::newRow("subsequence") << QStringList{"题名", "案卷档号", "起止页号", "总页数"}
                                     << QStringList{"案卷档号", "起止页号", "总页数", "案卷档号"};
        QTest::newRow("none") << QStringList{"题名", "责任者"}
                              << QStringList{"题名", "题名", "题名", "题名"};
        QTest::newRow("no headers") << QStringList{} << QStringList{"", "", "", ""};
    }
    void presets()
    {
        QFETCH(QStringList, headers);
        QFETCH(QStringList, chosen);
        const ItemColumnPresets p = ItemColumnPresets::choose(headers);
        QCOMPARE(QStringList({p.archiveNo, p.pageNo, p.pageCount, p.caseFileNo}), chosen);
    }

    // Unreadable workbooks are refused by the workbook reader and the dialogs.
    void headerOnlyOrMissingSheet()
    {
        ItemWorkbook book;
        QVERIFY(load(book, itemSheet("only", 1, 1, {{"档号"}})));
        QVERIFY(!book.hasItems());
        QTest::ignoreMessage(QtWarningMsg, "worksheet is null");
        QVERIFY(!book.selectSheet("missing"));
        QVERIFY(!book.currentSheet());
    }
};

QTEST_GUILESS_MAIN(TestItemRecords)
#include "tst_ItemRecords.moc"
