#include "ItemBooks.h"
#include "XlsxWriter.h"

#include <QDate>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

// Every sheet as {name, cells: [[row, column, python type, value]], bold: [cells], widths}.
const char* kDumpScript = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = []
for ws in book.worksheets:
    cells, bold = [], []
    for row in ws.iter_rows():
        for c in row:
            if c.value is None:
                continue
            cells.append([c.row, c.column, type(c.value).__name__, c.value])
            if c.font is not None and c.font.b:
                bold.append(c.coordinate)
    widths = {k: round(d.width, 2) for k, d in ws.column_dimensions.items() if d.customWidth}
    out.append({"name": ws.title, "cells": cells, "bold": bold, "widths": widths})
print(json.dumps(out, ensure_ascii=False))
)";

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QStringList allEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// One way each for an export to go wrong after it started.
enum Fault
{
    LongText,
    BadSheetName,
    NotANumber,
    NoSheet,
    NoFolder
};

} // namespace

class TestXlsxWriter : public QObject
{
    Q_OBJECT
private slots:
    void exportReadsBackWithTypes()
    {
        const QString python = openpyxlPython();
        if (python.isEmpty())
            QSKIP("python3-openpyxl is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath("报表.xlsx");
        writeFile(path, "old report");

        XlsxWriter book(path);
        QVERIFY(book.addSheet("条目"));
        QVERIFY(book.writeHeader(1, 1, "档号"));
        QVERIFY(book.writeHeader(1, 2, "页数"));
        QVERIFY(book.setColumnWidth(1, 24));
        QVERIFY(book.writeValue(2, 1, QVariant("0012")));
        QVERIFY(book.writeValue(2, 2, QVariant(2023000000.0)));
        QVERIFY(book.writeValue(2, 3, QVariant(4.5)));
        QVERIFY(book.writeValue(2, 4, QVariant(true)));
        QVERIFY(book.writeValue(2, 5, QVariant(QDate(2023, 3, 9))));
        QVERIFY(book.writeValue(2, 6, QVariant()));
        QVERIFY(book.writeText(3, 1, "卷内目录（一）"));
        QVERIFY(book.writeNumber(3, 2, -7));
        QVERIFY(book.writeValue(3, 3, QVariant(qint64(1000000000000000))));
        QVERIFY(book.addSheet("第二页"));
        QVERIFY(book.writeBool(2, 2, false));
        QString reason;
        QVERIFY2(book.save(&reason), qPrintable(reason));

        QByteArray dump;
        QString why;
        QVERIFY2(runPython(python, kDumpScript, {path}, &dump, &why), qPrintable(why));
        const QJsonArray sheets = QJsonDocument::fromJson(dump).array();
        QCOMPARE(sheets.size(), 2);
        const QJsonObject first = sheets.at(0).toObject();
        QCOMPARE(first["name"].toString(), QString("条目"));
        const QByteArray cells =
            QJsonDocument(first["cells"].toArray()).toJson(QJsonDocument::Compact);
        QCOMPARE(QString::fromUtf8(cells),
                 QString(R"([[1,1,"str","档号"],[1,2,"str","页数"],[2,1,"str","0012"],)"
                         R"([2,2,"int",2023000000],[2,3,"float",4.5],[2,4,"bool",true],)"
                         R"([2,5,"str","2023-03-09"],[3,1,"str","卷内目录（一）"],[3,2,"int",-7],)"
                         R"([3,3,"int",1000000000000000]])"));
        QCOMPARE(first["bold"].toArray(), QJsonArray({"A1", "B1"}));
        QVERIFY(std::fabs(first["widths"].toObject()["A"].toDouble() - 24) < 1);
        const QJsonObject second = sheets.at(1).toObject();
        QCOMPARE(second["name"].toString(), QString("第二页"));
        QCOMPARE(second["cells"].toArray(), QJsonArray({QJsonArray({2, 2, "bool", false})}));
        QCOMPARE(allEntries(dir.path()), QStringList{"报表.xlsx"});
    }

    void failureKeepsOldFile_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("text over the cell limit") << int(LongText);
        QTest::newRow("sheet name with a slash") << int(BadSheetName);
        QTest::newRow("not a number") << int(NotANumber);
        QTest::newRow("no sheet") << int(NoSheet);
        QTest::newRow("no temporary file possible") << int(NoFolder);
    }
    // The faults strike after good cells were written, so the temporary file
    // exists and the workbook is half built when the export gives up.
    void failureKeepsOldFile()
    {
        QFETCH(int, fault);
        QTemporaryDir dir;
        const QString path = dir.filePath("report.xlsx");
        const QByteArray old("PK old workbook bytes \x00\x01", 23);
        writeFile(path, old);

        XlsxWriter book(fault == NoFolder ? dir.filePath("gone/report.xlsx") : path);
        if (fault != NoSheet)
            book.addSheet(fault == BadSheetName ? "a/b" : "条目");
        book.writeText(1, 1, "档号");
        book.writeNumber(2, 1, 12);
        switch (fault) {
        case LongText:
            QVERIFY(!book.writeText(3, 1, QString(32768, QChar(0x6863))));
            break;
        case NotANumber:
            QVERIFY(!book.writeNumber(3, 1, std::nan("")));
            break;
        default:
            break;
        }
        QVERIFY(!book.writeText(4, 1, "after the failure"));
        QString reason;
        QVERIFY(!book.save(&reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(contents(path), old);
        QCOMPARE(allEntries(dir.path()), QStringList{"report.xlsx"});
        QVERIFY(!book.save(&reason));
    }

    // Closing succeeds but the rename cannot: a folder holding files sits on the name.
    void targetNotReplaceable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("report.xlsx");
        QVERIFY(QDir(dir.path()).mkdir("report.xlsx"));
        writeFile(path + "/keep.txt", "kept");

        XlsxWriter book(path);
        QVERIFY(book.addSheet("条目"));
        QVERIFY(book.writeText(1, 1, "档号"));
        QString reason;
        QVERIFY(!book.save(&reason));
        QVERIFY(reason.contains("report.xlsx"));
        QCOMPARE(allEntries(dir.path()), QStringList{"report.xlsx"});
        QCOMPARE(contents(path + "/keep.txt"), QByteArray("kept"));
    }

    void droppedWriterLeavesNothing()
    {
        QTemporaryDir dir;
        {
            XlsxWriter book(dir.filePath("report.xlsx"));
            QVERIFY(book.addSheet("条目"));
            QVERIFY(book.writeText(1, 1, "档号"));
        }
        QCOMPARE(allEntries(dir.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestXlsxWriter)
#include "tst_XlsxWriter.moc"
