#include "CellText.h"

#include <QDate>
#include <QtTest>

class TestCellText : public QObject
{
    Q_OBJECT
private slots:
    void text_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("archive number") << QVariant(2023000000.0) << "2023000000";
        QTest::newRow("1e15") << QVariant(1e15) << "1000000000000000";
        QTest::newRow("beyond 64 bits") << QVariant(1e20) << "100000000000000000000";
        QTest::newRow("half") << QVariant(4.5) << "4.5";
        QTest::newRow("third") << QVariant(1.0 / 3) << "0.3333333333333333";
        QTest::newRow("largest int64")
            << QVariant(Q_INT64_C(9223372036854775807)) << "9223372036854775807";
        QTest::newRow("numeric text stays") << QVariant("0012") << "0012";
        QTest::newRow("date") << QVariant(QDate(2023, 3, 9)) << "2023-03-09";
        QTest::newRow("date time")
            << QVariant(QDateTime(QDate(2023, 3, 9), QTime(8, 5, 7))) << "2023-03-09 08:05:07";
        QTest::newRow("bool") << QVariant(true) << "TRUE";
        QTest::newRow("no value") << QVariant() << "";
    }
    void text()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(cellText(value), expected);
    }

    void integer_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("whole double") << QVariant(12.0) << true << qint64(12);
        QTest::newRow("fraction double") << QVariant(4.5) << false << qint64(0);
        QTest::newRow("2^63 double") << QVariant(9223372036854775808.0) << false << qint64(0);
        QTest::newRow("-2^63 double")
            << QVariant(-9223372036854775808.0) << true << std::numeric_limits<qint64>::min();
        QTest::newRow("nan") << QVariant(std::nan("")) << false << qint64(0);
        QTest::newRow("huge unsigned")
            << QVariant(Q_UINT64_C(18446744073709551615)) << false << qint64(0);
        QTest::newRow("zero fraction") << QVariant("12.0") << true << qint64(12);
        QTest::newRow("full-width signed fraction")
            << QVariant("－１２．００") << true << qint64(-12);
        QTest::newRow("text min") << QVariant("-9223372036854775808") << true
                                  << std::numeric_limits<qint64>::min();
        // Text that is no whole number, or past 64 bits.
        for (const char* text : {"9223372036854775808", "", ".0", "12a", "1e3", "1,000", "²"})
            QTest::addRow("“%s”", text) << QVariant(QString::fromUtf8(text)) << false << qint64(0);
        QTest::newRow("bool") << QVariant(true) << false << qint64(0);
        QTest::newRow("no value") << QVariant() << false << qint64(0);
    }
    void integer()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, ok);
        QFETCH(qint64, expected);
        qint64 out = 99; // a refusal must leave it alone
        QCOMPARE(cellInteger(value, &out), ok);
        QCOMPARE(out, ok ? expected : qint64(99));
    }
};

QTEST_GUILESS_MAIN(TestCellText)
#include "tst_CellText.moc"
