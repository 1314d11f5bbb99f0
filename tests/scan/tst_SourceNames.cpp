// Source names must fit TW_STR32 without splitting a character and never repeat:
// applications open a source by its ProductName.

#include "dsm/SourceNames.h"

#include <QtTest>

class tst_SourceNames : public QObject
{
    Q_OBJECT

private slots:
    void namesFitAndDiffer_data()
    {
        QTest::addColumn<QStringList>("models");
        QTest::addColumn<QStringList>("names");
        const QString long40 = QString(40, 'x');
        const QString e20 = QString(20, QChar(0xe9)); // 40 bytes of two-byte characters
        QTest::newRow("repeated") << QStringList{"A", "A", "B", "A"}
                                  << QStringList{"A", "A #2", "B", "A #3"};
        QTest::newRow("number already taken")
            << QStringList{"A #2", "A", "A"} << QStringList{"A #2", "A", "A #3"};
        QTest::newRow("long repeated") << QStringList{long40, long40 + "y"}
                                       << QStringList{QString(33, 'x'), QString(30, 'x') + " #2"};
        QTest::newRow("cut between characters")
            << QStringList{e20, e20} << QStringList{e20.left(16), e20.left(15) + " #2"};
    }
    void namesFitAndDiffer()
    {
        QFETCH(QStringList, models);
        QFETCH(QStringList, names);
        std::vector<std::string> in;
        for (const QString& m : models)
            in.push_back(m.toStdString());
        const std::vector<std::string> out = uniqueProductNames(in);
        QStringList got;
        for (const std::string& n : out) {
            TW_STR32 field;
            copyToStr32(field, n);
            QCOMPARE(QByteArray(field), QByteArray::fromStdString(n)); // fits unchanged
            got << QString::fromStdString(n);
        }
        QCOMPARE(got, names);
    }
};

QTEST_GUILESS_MAIN(tst_SourceNames)
#include "tst_SourceNames.moc"
