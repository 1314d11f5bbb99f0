#include "NameUtils.h"
#include "Units.h"

#include <QTemporaryDir>
#include <QtTest>

class TestNameUtils : public QObject
{
    Q_OBJECT

private slots:
    void code_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("zeroFill");
        QTest::addColumn<QString>("text");
        QTest::newRow("padded") << 7 << 4 << true << "0007";
        QTest::newRow("never truncated") << 12345 << 4 << true << "12345";
        QTest::newRow("zero plain") << 0 << 3 << false << "0";
    }
    void code()
    {
        QFETCH(int, number);
        QFETCH(int, length);
        QFETCH(bool, zeroFill);
        QFETCH(QString, text);
        QCOMPARE(codeText(number, length, zeroFill), text);
    }

    void sequence_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("reversed") << "3-1" << QList<int>{};
        QTest::newRow("input order, duplicates") << "10,2-3,2" << QList<int>{9, 1, 2, 1};
        QTest::newRow("three bounds") << "1-2-3" << QList<int>{};
        QTest::newRow("overflow") << "99999999999,1" << QList<int>{0};
        QTest::newRow("top of int")
            << "2147483646-2147483647" << QList<int>{2147483645, 2147483646};
    }
    void sequence()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, rows);
        QCOMPARE(parseSequence(text), rows);
        QCOMPARE(parseSequence("1-2000000000").size(), 1000000); // huge ranges are bounded
    }

    void millimetres_data()
    {
        QTest::addColumn<float>("mm");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("one inch as float") << 25.4f << 72 << 72; // 25.4f is just below 25.4
        QTest::newRow("negative") << -25.4f << 72 << -72;
    }
    void millimetres()
    {
        QFETCH(float, mm);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(mmToPixels(mm, dpi), pixels);
    }

    void best_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("match");
        QTest::newRow("exact wins") << "ab" << QStringList{"xaxb", "ab"} << "ab";
        QTest::newRow("subsequence") << "ab" << QStringList{"xaxb", "ba"} << "xaxb";
        QTest::newRow("repeats") << "aa" << QStringList{"a", "bab", "baa"} << "baa";
    }
    void best()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, list);
        QFETCH(QString, match);
        QCOMPARE(bestMatch(text, list), match);
    }

    void clearDirEmptiesNestedFoldersOnly()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path() + QStringLiteral("/扫描 目录");
        QVERIFY(QDir().mkpath(dir + "/a/b/c") && QDir().mkpath(tmp.path() + "/outside"));
        for (const QString& file : {dir + "/a/b/c/deep.jpg", dir + QStringLiteral("/页 1.jpg"),
                                    dir + "/.hidden", tmp.path() + "/outside/keep.jpg"})
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(tmp.path() + "/outside", dir + "/link"));
        clearDir(dir);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{".hidden"});
        QVERIFY(QFile::exists(tmp.path() + "/outside/keep.jpg")); // link target untouched
        // An empty path must not mean the working folder.
        const QString old = QDir::currentPath();
        QDir::setCurrent(tmp.path());
        clearDir(QString());
        QDir::setCurrent(old);
        QVERIFY(QFile::exists(tmp.path() + "/outside/keep.jpg") && QFileInfo(dir).isDir());
    }
};

QTEST_GUILESS_MAIN(TestNameUtils)
#include "test_nameutils.moc"
