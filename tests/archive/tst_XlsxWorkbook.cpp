#include "ItemBooks.h"
#include "XlsxWorkbook.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Parts = ZipParts;

const char* const mainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const relNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QByteArray rels(const QList<QPair<QString, QString>>& typeAndTarget,
                const QByteArray& typeNs = relNs)
{
    QByteArray xml = "<?xml version=\"1.0\"?><Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    int id = 1;
    for (const auto& r : typeAndTarget) {
        xml += "<Relationship Id=\"rId" + QByteArray::number(id++) + "\" Type=\"" + typeNs + "/" +
               r.first.toUtf8() + "\" Target=\"" + r.second.toUtf8() + "\"/>";
    }
    return xml + "</Relationships>";
}

QByteArray sheetPart(const QByteArray& body)
{
    return QByteArray("<worksheet xmlns=\"") + mainNs + "\"><sheetData>" + body +
           "</sheetData></worksheet>";
}

QByteArray workbookPart(const QStringList& names, const QByteArray& pr = QByteArray())
{
    QByteArray xml = QByteArray("<workbook xmlns=\"") + mainNs + "\" xmlns:r=\"" + relNs + "\">" +
                     pr + "<sheets>";
    for (int i = 0; i < names.size(); ++i)
        xml += "<sheet name=\"" + names[i].toUtf8() + "\" sheetId=\"" + QByteArray::number(i + 1) +
               "\" r:id=\"rId" + QByteArray::number(i + 1) + "\"/>";
    return xml + "</sheets></workbook>";
}

// A one-sheet package laid out the way most writers do it.
Parts oneSheet(const QByteArray& sheet, const QByteArray& strings = QByteArray(),
               const QByteArray& styles = QByteArray(), const QByteArray& pr = QByteArray())
{
    Parts parts{{"_rels/.rels", rels({{"officeDocument", "xl/workbook.xml"}})},
                {"xl/workbook.xml", workbookPart({"表1"}, pr)},
                {"xl/_rels/workbook.xml.rels", rels({{"worksheet", "worksheets/sheet1.xml"},
                                                     {"sharedStrings", "sharedStrings.xml"},
                                                     {"styles", "styles.xml"}})},
                {"xl/worksheets/sheet1.xml", sheet}};
    if (!strings.isEmpty())
        parts.append({"xl/sharedStrings.xml",
                      QByteArray("<sst xmlns=\"") + mainNs + "\">" + strings + "</sst>"});
    if (!styles.isEmpty())
        parts.append({"xl/styles.xml", QByteArray("<styleSheet xmlns=\"") + mainNs + "\">" +
                                           styles + "</styleSheet>"});
    return parts;
}

// Cell styles 0..: General, built-in 14, 22, 31 (Chinese date), 20 (time), then custom
// 164-167, then WPS's Chinese-numeral date (168) and LibreOffice's upper-case date (169).
const QByteArray dateStyles =
    "<numFmts><numFmt numFmtId=\"164\" "
    "formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
    "<numFmt numFmtId=\"165\" formatCode=\"0.00&quot;d&quot;\"/>"
    "<numFmt numFmtId=\"166\" formatCode=\"[Red]0.00;[Blue]\\-0.00\"/>"
    "<numFmt numFmtId=\"167\" formatCode=\"yyyy/mm/dd\\ hh:mm\"/>"
    "<numFmt numFmtId=\"168\" "
    "formatCode=\"[DBNum1][$-804]yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
    "<numFmt numFmtId=\"169\" formatCode=\"YYYY\\-MM\\-DD\"/></numFmts>"
    "<cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs>"
    "<dxfs><dxf><numFmt numFmtId=\"165\" formatCode=\"yyyy-mm-dd\"/></dxf></dxfs>"
    "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"22\"/><xf numFmtId=\"31\"/>"
    "<xf numFmtId=\"20\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"166\"/>"
    "<xf numFmtId=\"167\"/><xf numFmtId=\"168\"/><xf numFmtId=\"169\"/></cellXfs>";

// What openpyxl writes: inline strings as character references, absolute sheet
// targets, dates and date-times by number format, merged cells, a second sheet.
const char* const kOpenpyxlScript = R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = '条目'
ws.append(['档号', '日期', '时间', '页数', '比例', '已扫描', '备注'])
ws.append(['A1-0001', datetime.date(2023, 5, 17), datetime.datetime(2023, 5, 17, 8, 30), 12, 0.5,
           True, None])
ws.append(['A1&<0002>', datetime.date(1999, 12, 31), None, 2023000000, -1.25, False, '卷内'])
ws.merge_cells('G2:G3')
ws['G2'] = '案卷一'
wb.create_sheet('说明')['B2'] = '说明文字'
wb.save(sys.argv[1])
)";

// A workbook whose one sheet inflates to `megabytes` of cells while the central
// directory says every member holds 1000 bytes.
const char* const kBombScript = R"(
import sys, zipfile, struct
path, mb = sys.argv[1], int(sys.argv[2])
ns = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
pkg = 'http://schemas.openxmlformats.org/package/2006/relationships'
with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('_rels/.rels', '<Relationships xmlns="%s"><Relationship Id="rId1" '
               'Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (pkg, rel))
    z.writestr('xl/workbook.xml', '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" '
               'sheetId="1" r:id="rId1"/></sheets></workbook>' % (ns, rel))
    z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns="%s"><Relationship Id="rId1" '
               'Type="%s/worksheet" Target="worksheets/sheet1.xml"/></Relationships>' % (pkg, rel))
    with z.open('xl/worksheets/sheet1.xml', 'w') as f:
        f.write(('<worksheet xmlns="%s"><sheetData>' % ns).encode())
        chunk = (b'<row>' + b'<c t="b"><v>1</v></c>' * 8 + b'</row>') * 6000
        for _ in range(mb):
            f.write(chunk)
        f.write(b'</sheetData></worksheet>')
data = bytearray(open(path, 'rb').read())
i = data.find(b'PK\x01\x02')
while i >= 0:
    struct.pack_into('<I', data, i + 24, 1000)
    i = data.find(b'PK\x01\x02', i + 4)
open(path, 'wb').write(data)
)";

} // namespace

class TestXlsxWorkbook : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_count = 0;

    QString write(const Parts& parts, const QString& name = QString())
    {
        const QString path =
            m_dir.filePath(name.isEmpty() ? QStringLiteral("book%1.xlsx").arg(++m_count) : name);
        if (!writeZip(path, parts))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void cellValues_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<QByteArray>("workbookPr");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("expected");

        const QByteArray sst = "<si><t>档号</t></si>"
                               "<si><r><t>第</t></r><r><rPr><b/></rPr><t>一卷</t></r>"
                               "<rPh sb=\"0\" eb=\"1\"><t>だい</t></rPh></si>"
                               "<si><t>a_x000D_b_x005F_x0041_</t></si>";
        const QByteArray none;
        auto row = [](const QByteArray& cells) {
            return sheetPart("<row r=\"2\">" + cells + "</row>");
        };
        auto text = [](const char* utf8) { return QVariant(QString::fromUtf8(utf8)); };
        // Cells of sheet row 2, no shared strings part, the value read at (2, column).
        auto add = [&](const char* name, const QByteArray& cells, const QVariant& expected,
                       int column = 1) {
            QTest::newRow(name) << row(cells) << none << none << 2 << column << expected;
        };

        QTest::newRow("shared string")
            << row("<c r=\"B2\" t=\"s\"><v>0</v></c>") << sst << none << 2 << 2 << text("档号");
        QTest::newRow("rich runs, phonetic skipped")
            << row("<c r=\"C2\" t=\"s\"><v>1</v></c>") << sst << none << 2 << 3 << text("第一卷");
        QTest::newRow("escapes") << row("<c r=\"A2\" t=\"s\"><v>2</v></c>") << sst << none << 2 << 1
                                 << text("a\rb_x0041_");
        add("inline string", "<c r=\"A2\" t=\"inlineStr\"><is><t>卷内</t></is></c>", text("卷内"));
        add("formula text result", "<c r=\"A2\" t=\"str\"><f>A1&amp;\"x\"</f><v>A-0001</v></c>",
            text("A-0001"));
        add("inline rich runs, phonetic skipped",
            "<c r=\"A2\" t=\"inlineStr\"><is><r><t>卷</t></r><r><t xml:space=\"preserve\"> "
            "一</t></r>"
            "<rPh sb=\"0\" eb=\"1\"><t>かん</t></rPh></is></c>",
            text("卷 一"));
        add("boolean", "<c r=\"A2\" t=\"b\"><v>1</v></c>", true);
        add("error as text", "<c r=\"A2\" t=\"e\"><v>#N/A</v></c>", text("#N/A"));
        add("number", "<c r=\"A2\"><v>1234.5</v></c>", 1234.5);
        add("exponent", "<c r=\"A2\" t=\"n\"><v>1E+15</v></c>", 1e15);
        add("built-in date", "<c r=\"A2\" s=\"1\"><v>45292</v></c>", text("2024-01-01"));
        add("built-in time", "<c r=\"A2\" s=\"4\"><v>45292.25</v></c>",
            text("2024-01-01 06:00:00"));
        add("custom date, quoted text", "<c r=\"A2\" s=\"5\"><v>45292</v></c>", text("2024-01-01"));
        add("quoted letter is no date", "<c r=\"A2\" s=\"6\"><v>3.5</v></c>", 3.5);
        add("colour section is no date", "<c r=\"A2\" s=\"7\"><v>12</v></c>", 12.0);
        add("custom date time", "<c r=\"A2\" s=\"8\"><v>45292.75</v></c>",
            text("2024-01-01 18:00:00"));
        add("WPS Chinese-numeral date", "<c r=\"A2\" s=\"9\" t=\"n\"><v>45292</v></c>",
            text("2024-01-01"));
        add("LibreOffice upper-case date", "<c r=\"A2\" s=\"10\"><v>45292</v></c>",
            text("2024-01-01"));
        QTest::newRow("1904 system")
            << row("<c r=\"A2\" s=\"1\"><v>0</v></c>") << none
            << QByteArray("<workbookPr date1904=\"1\"/>") << 2 << 1 << text("1904-01-01");
        add("early 1900 date", "<c r=\"A2\" s=\"1\"><v>1</v></c>", text("1900-01-01"));
        add("cell without reference follows", "<c r=\"B2\"><v>1</v></c><c><v>2</v></c>", 2.0, 3);
        add("later duplicate wins, cells out of order",
            "<c r=\"C2\"><v>3</v></c><c r=\"A2\"><v>1</v></c><c r=\"C2\" t=\"b\"><v>0</v></c>",
            false, 3);
        QTest::newRow("row without reference follows")
            << sheetPart("<row r=\"4\"><c r=\"A4\"><v>1</v></c></row><row><c><v>5</v></c></row>")
            << none << none << 5 << 1 << QVariant(5.0);
        const QByteArray mergedPastData =
            QByteArray("<worksheet xmlns=\"") + mainNs +
            "\"><sheetData><row r=\"2\"><c r=\"A2\"><v>7</v></c><c r=\"B2\"><v>8</v></c></row>"
            "<row r=\"3\"><c r=\"B3\"><v>9</v></c></row></sheetData>"
            "<mergeCells><mergeCell ref=\"A2:A9\"/><mergeCell "
            "ref=\"B3:C3\"/></mergeCells></worksheet>";
        QTest::newRow("merge within data")
            << mergedPastData << none << none << 3 << 1 << QVariant(7.0);
        QTest::newRow("merge beyond data")
            << mergedPastData << none << none << 4 << 1 << QVariant();
        add("styled empty cell", "<c r=\"A2\" s=\"1\"/>", QVariant());
    }
    void cellValues()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, strings);
        QFETCH(QByteArray, workbookPr);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QVariant, expected);

        XlsxWorkbook book;
        QCOMPARE(book.open(write(oneSheet(sheet, strings, dateStyles, workbookPr))), QString());
        const XlsxSheet* s = book.sheet(QStringLiteral("表1"));
        QVERIFY(s);
        const QVariant value = s->cell(row, column);
        QCOMPARE(value.isValid(), expected.isValid());
        QCOMPARE(value.userType(), expected.userType());
        QCOMPARE(value, expected);
    }

    void usedRange_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QList<int>>("range"); // first row, last row, first column, last column

        QTest::newRow("empty sheet") << sheetPart("") << QList<int>{0, 0, 0, 0};
        QTest::newRow("only styled cells")
            << sheetPart("<row r=\"1\"><c r=\"A1\" s=\"1\"/></row><row r=\"1000\" s=\"1\"/>")
            << QList<int>{0, 0, 0, 0};
        QTest::newRow("not from A1, wrong dimension ignored")
            << QByteArray("<worksheet xmlns=\"") + mainNs +
                   "\"><dimension ref=\"A1:Z999\"/><sheetData>"
                   "<row r=\"3\"><c r=\"D3\"><v>1</v></c><c r=\"C3\" s=\"1\"/></row>"
                   "<row r=\"40\"><c r=\"C40\"><v>2</v></c><c r=\"F40\"><v>3</v></c></row>"
                   "<row r=\"41\"><c r=\"G41\" s=\"2\"/></row></sheetData></worksheet>"
            << QList<int>{3, 40, 3, 6};
        QTest::newRow("rows out of order")
            << sheetPart("<row r=\"9\"><c r=\"B9\"><v>1</v></c></row><row r=\"2\"><c "
                         "r=\"E2\"><v>1</v></c></row>")
            << QList<int>{2, 9, 2, 5};
    }
    void usedRange()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QList<int>, range);

        XlsxWorkbook book;
        QCOMPARE(book.open(write(oneSheet(sheet))), QString());
        const XlsxSheet* s = book.sheet(QStringLiteral("表1"));
        QVERIFY(s);
        QCOMPARE((QList<int>{s->firstRow(), s->lastRow(), s->firstColumn(), s->lastColumn()}),
                 range);
        if (range[0] > 0) {
            QVERIFY(s->hasValues(range[0]) && s->hasValues(range[1]));
            QVERIFY(!s->hasValues(range[0] + 1) || range[1] <= range[0] + 1);
            QVERIFY(!s->hasValues(range[1] + 1));
        }
    }

    void packageLayouts_data()
    {
        QTest::addColumn<Parts>("parts");

        const QByteArray a = sheetPart("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
        const QByteArray b = sheetPart("<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>");
        const QStringList names{"目录", "Sheet B"};

        QTest::newRow("parent folder targets")
            << Parts{{"_rels/.rels", rels({{"officeDocument", "xl/wb/workbook.xml"}})},
                     {"xl/wb/workbook.xml", workbookPart(names)},
                     {"xl/wb/_rels/workbook.xml.rels",
                      rels({{"worksheet", "../sheets/a.xml"}, {"worksheet", "../../b.xml"}})},
                     {"xl/sheets/a.xml", a},
                     {"b.xml", b}};
        const QByteArray strictRel = "http://purl.oclc.org/ooxml/officeDocument/relationships";
        const auto strict = [&](QByteArray xml) {
            return xml.replace(mainNs, "http://purl.oclc.org/ooxml/spreadsheetml/main")
                .replace(relNs, strictRel);
        };
        QTest::newRow("Strict") << Parts{
            {"_rels/.rels", rels({{"officeDocument", "xl/workbook.xml"}}, strictRel)},
            {"xl/workbook.xml", strict(workbookPart(names))},
            {"xl/_rels/workbook.xml.rels",
             rels({{"worksheet", "worksheets/sheet1.xml"}, {"worksheet", "worksheets/sheet2.xml"}},
                  strictRel)},
            {"xl/worksheets/sheet1.xml", strict(a)},
            {"xl/worksheets/sheet2.xml", strict(b)}};
    }
    void packageLayouts()
    {
        QFETCH(Parts, parts);

        XlsxWorkbook book;
        QCOMPARE(book.open(write(parts)), QString());
        QCOMPARE(book.sheetNames(), (QStringList{"目录", "Sheet B"}));
        QCOMPARE(book.sheet(QStringLiteral("目录"))->cell(1, 1), QVariant(1.0));
        QCOMPARE(book.sheet(QStringLiteral("Sheet B"))->cell(1, 1), QVariant(2.0));
        QVERIFY(!book.sheet(QStringLiteral("Sheet C")));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("partLimit");
        QTest::addColumn<QString>("reason");

        auto raw = [this](const QString& name, const QByteArray& bytes) {
            const QString path = m_dir.filePath(name);
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return path;
        };
        const QByteArray ole = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, '\0');
        const QByteArray cells =
            sheetPart("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>");
        Parts noSheet = oneSheet(cells);
        noSheet.removeLast();
        Parts noWorkbook = oneSheet(cells);
        noWorkbook.removeAt(1);

        QTest::newRow("not a zip") << raw("text.xlsx", "档号,页数\n") << 0 << "不是 zip";
        QTest::newRow("old xls") << raw("old.xlsx", ole) << 0 << ".xls";
        QTest::newRow("encrypted")
            << raw("locked.xlsx",
                   ole + QByteArray("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28))
            << 0 << "加密";
        QTest::newRow("lock file") << write(oneSheet(cells), "~$book.xlsx") << 0 << "锁定文件";
        QTest::newRow("no workbook part") << write(noWorkbook) << 0 << "没有工作簿部件";
        QTest::newRow("missing sheet part") << write(noSheet) << 0 << "xl/worksheets/sheet1.xml";
        QTest::newRow("malformed XML")
            << write(oneSheet("<worksheet>\n<sheetData>\n<row></sheetData>")) << 0
            << "xl/worksheets/sheet1.xml 第 3 行";
        QTest::newRow("part inflates too far")
            << write(oneSheet(sheetPart(QByteArray(100000, ' ')))) << 50000 << "大小上限";
        QTest::newRow("sheet-wide merge")
            << write(oneSheet(
                   QByteArray("<worksheet xmlns=\"") + mainNs +
                   "\"><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row "
                   "r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row></sheetData>"
                   "<mergeCells><mergeCell ref=\"A1:XFD1048576\"/></mergeCells></worksheet>"))
            << 0 << "单元格数量";
        QTest::newRow("endless text")
            << write(oneSheet(sheetPart(QByteArray(5 << 20, ' ')))) << 0 << "超长文本";
    }
    void badInput()
    {
        QFETCH(QString, path);
        QFETCH(int, partLimit);
        QFETCH(QString, reason);

        XlsxLimits limits;
        if (partLimit)
            limits.partBytes = partLimit;
        XlsxWorkbook book;
        const QString failure = book.open(path, limits);
        QVERIFY2(failure.contains(reason), qPrintable(failure));
        QVERIFY(book.sheetNames().isEmpty());
    }

    void cachedPerFileVersion()
    {
        const QString path = m_dir.filePath(QStringLiteral("cached.xlsx"));
        QVERIFY(writeZip(path, oneSheet(sheetPart("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"))));
        XlsxWorkbook first, second;
        QCOMPARE(first.open(path), QString());
        QCOMPARE(second.open(path), QString());
        QCOMPARE(first.sheet(QStringLiteral("表1")), second.sheet(QStringLiteral("表1")));

        // A rewritten file (other size) is read again.
        QVERIFY(
            writeZip(path, oneSheet(sheetPart("<row r=\"1\"><c r=\"A1\"><v>22</v></c></row>"))));
        XlsxWorkbook third;
        QCOMPARE(third.open(path), QString());
        QCOMPARE(third.sheet(QStringLiteral("表1"))->cell(1, 1), QVariant(22.0));
        QCOMPARE(first.sheet(QStringLiteral("表1"))->cell(1, 1), QVariant(1.0));
    }

    void largeSheetReadAcrossBlocks()
    {
        // Many inflate blocks: values, text and quoted attributes holding '>' that
        // straddle a block edge must read whole.
        QByteArray body;
        for (int r = 1; r <= 20000; ++r) {
            const QByteArray n = QByteArray::number(r);
            body += "<row r=\"" + n + "\" x:note='a>\"b' xmlns:x=\"urn:x\"><c r=\"A" + n +
                    "\"><v>" + n + "</v></c><c r=\"B" + n + "\" t=\"inlineStr\"><is><t>第" + n +
                    "号</t></is></c></row>";
        }
        XlsxWorkbook book;
        QCOMPARE(book.open(write(oneSheet(sheetPart(body)))), QString());
        const XlsxSheet* s = book.sheet(QStringLiteral("表1"));
        QCOMPARE(s->lastRow(), 20000);
        for (int r = 1; r <= 20000; ++r) {
            QCOMPARE(s->cell(r, 1), QVariant(double(r)));
            QCOMPARE(s->cell(r, 2), QVariant(QStringLiteral("第%1号").arg(r)));
        }

        XlsxLimits limits;
        limits.totalBytes = 100000;
        XlsxWorkbook bounded;
        QVERIFY(bounded.open(write(oneSheet(sheetPart(body))), limits)
                    .contains(QStringLiteral("总量")));
    }

    void writtenByOpenpyxl()
    {
        const QString path = m_dir.filePath(QStringLiteral("openpyxl.xlsx"));
        const QString python = openpyxlPython();
        if (python.isEmpty() || !runPython(python, kOpenpyxlScript, {path}))
            QSKIP("python3-openpyxl is not installed");

        XlsxWorkbook book;
        QCOMPARE(book.open(path), QString());
        QCOMPARE(book.sheetNames(), (QStringList{"条目", "说明"}));
        QCOMPARE(book.sheet(QStringLiteral("说明"))->cell(2, 2),
                 QVariant(QStringLiteral("说明文字")));
        const XlsxSheet* s = book.sheet(QStringLiteral("条目"));
        QCOMPARE((QList<int>{s->firstRow(), s->lastRow(), s->firstColumn(), s->lastColumn()}),
                 (QList<int>{1, 3, 1, 7}));
        const QVariantList expected{
            "档号",       "日期",     "时间",       "页数",       "比例",
            "已扫描",     "备注",     "A1-0001",    "2023-05-17", "2023-05-17 08:30:00",
            12.0,         0.5,        true,         "案卷一",     "A1&<0002>",
            "1999-12-31", QVariant(), 2023000000.0, -1.25,        false,
            "案卷一"};
        for (int i = 0; i < expected.size(); ++i) {
            const QVariant value = s->cell(1 + i / 7, 1 + i % 7);
            const QVariant want = expected[i].userType() == QMetaType::QByteArray
                                      ? QVariant(QString::fromUtf8(expected[i].toByteArray()))
                                      : expected[i];
            QVERIFY2(value == want && value.userType() == want.userType(),
                     qPrintable(QStringLiteral("cell %1: %2").arg(i).arg(value.toString())));
        }
    }

    void bombRefusedQuickly()
    {
        // 300 MB of cells behind a directory that declares 1000 bytes a member.
        const QString path = m_dir.filePath(QStringLiteral("bomb.xlsx"));
        if (!runPython("/usr/bin/python3", kBombScript, {path, "300"}))
            QSKIP("python3 is not installed");
        QVERIFY(QFileInfo(path).size() < 4 * 1024 * 1024);
        QElapsedTimer clock;
        clock.start();
        XlsxWorkbook book;
        const QString failure = book.open(path);
        qInfo("bomb refused after %lld ms", clock.elapsed());
        QVERIFY2(failure.contains(QStringLiteral("压缩炸弹")), qPrintable(failure));
    }
};

QTEST_APPLESS_MAIN(TestXlsxWorkbook)
#include "tst_XlsxWorkbook.moc"
