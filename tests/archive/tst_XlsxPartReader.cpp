#include "ItemBooks.h"
#include "XlsxPackage.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The reader's tokens as text: "name" or "name@a" (its attribute a) for a start,
// "/name" for an end, "t=text" for a whole <t> element, "!line" or "!reason" last.
QString dump(XlsxPartReader& reader)
{
    QStringList out;
    while (reader.next()) {
        const QString name(reader.name());
        if (reader.isEnd()) {
            out << QLatin1Char('/') + name;
        } else if (name == QLatin1String("t")) {
            out << QStringLiteral("t=") + reader.elementText();
        } else {
            const QString a = reader.attribute(QStringLiteral("a"));
            out << (a.isNull() ? name : name + QLatin1Char('@') + a);
        }
    }
    const QString failure = reader.failure();
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("第 (\\d+) 行")).match(failure);
    if (line.hasMatch())
        out << QLatin1Char('!') + line.captured(1);
    else if (!failure.isEmpty())
        out << QLatin1Char('!') + failure;
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestXlsxPartReader : public QObject
{
    Q_OBJECT

private slots:
    void tokens_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("expected");

        QTest::newRow("nested and self-closed")
            << QByteArray("<r><a a=\"1\"/><b><c/></b></r>") << "r a@1 /a b c /c /b /r";
        QTest::newRow("prefixes, single quotes, spaces around =")
            << QByteArray("<x:r xmlns:x=\"u\"><x:a x:a = '2&amp;3&#10;\n4' /></x:r>")
            << "r a@2&3\n 4 /a /r";
        QTest::newRow("text: entities, CDATA, comment, child")
            << QByteArray("<r><t>a&lt;<![CDATA[&amp;]]><!--c--><i>b</i>&#x4E00;&#20108;</t></r>")
            << "r t=a<&amp;b一二 /r";
        QTest::newRow("declaration, BOM and trailing comment")
            << QByteArray(
                   "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r/>\n<!-- end -->")
            << "r /r";
        // The chunk the reader inflates at a time is 256 KiB: markup and text across its edge.
        QTest::newRow("CDATA across a block edge")
            << "<r>" + QByteArray(262140, ' ') + "<t><![CDATA[ab]]>c</t></r>"
            << "r t=abc /r";
        QTest::newRow("tag across a block edge")
            << "<r>" + QByteArray(262130, ' ') + "<a x=\"y>z\" a=\"k\"/></r>"
            << "r a@k /a /r";
        QTest::newRow("mismatched end, line counted")
            << QByteArray("<r>\n<a>\n</b></r>") << "r a !3";
        QTest::newRow("unknown entity") << QByteArray("<r>\n<t>&nbsp;</t></r>") << "r t= !2";
        QTest::newRow("truncated") << QByteArray("<r><a>") << "r a !1";
        QTest::newRow("unclosed attribute value") << QByteArray("<r a=\"1></r>") << "!1";
        QTest::newRow("second root") << QByteArray("<r/><r/>") << "r /r !1";
        QTest::newRow("empty part") << QByteArray() << "!1";
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe<\0r\0/\0>\0", 10)
                                << "!部件 p.xml 使用 UTF-16 编码，无法读取";
        QTest::newRow("DTD") << QByteArray("<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>")
                             << "!部件 p.xml 含有 DTD，拒绝读取";
    }
    void tokens()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.zip"));
        QVERIFY(writeZip(path, {{"p.xml", xml}}));
        XlsxPackage package;
        QCOMPARE(package.open(path, XlsxLimits()), QString());
        auto reader = package.openPart(QStringLiteral("p.xml"));
        QVERIFY(reader);
        QCOMPARE(dump(*reader), expected);
    }
};

QTEST_APPLESS_MAIN(TestXlsxPartReader)
#include "tst_XlsxPartReader.moc"
