#include "NameUtils.h"
#include "Units.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestNameUtils : public QObject
{
    Q_OBJECT

private slots:
    void tokens_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("tokens");
        QTest::addColumn<QString>("running");
        QTest::newRow("code") << "0001.jpg" << QStringList{"0001", ".jpg"} << "0001";
        QTest::newRow("letters") << "abc" << QStringList{"abc"} << "";
        QTest::newRow("empty") << "" << QStringList{} << "";
        QTest::newRow("last digits")
            << "A01-0003.jpg" << QStringList{"A", "01", "-", "0003", ".jpg"} << "0003";
        QTest::newRow("none") << "cover.jpg" << QStringList{"cover.jpg"} << "";
        QTest::newRow("underscores")
            << "2023_07_scan12.tif" << QStringList{"2023", "_", "07", "_scan", "12", ".tif"}
            << "12";
        QTest::newRow("full-width") << QStringLiteral("第１２页") << QStringList{"第", "１２", "页"}
                                    << QStringLiteral("１２");
        QTest::newRow("trailing newline") << "12\n" << QStringList{"12", "\n"} << "12";
    }
    void tokens()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, tokens);
        QFETCH(QString, running);
        QCOMPARE(splitTokens(name), tokens);
        QCOMPARE(runningNumber(name), running);
        QCOMPARE(isAllDigits(name), tokens.size() == 1 && !running.isEmpty());
    }

    void code_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("zeroFill");
        QTest::addColumn<QString>("text");
        QTest::newRow("padded") << 7 << 4 << true << "0007";
        QTest::newRow("never truncated") << 12345 << 4 << true << "12345";
        QTest::newRow("zero padded") << 0 << 3 << true << "000";
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
        QTest::newRow("empty") << "" << QList<int>{};
        QTest::newRow("reversed") << "3-1" << QList<int>{};
        QTest::newRow("duplicates") << "2,2" << QList<int>{1, 1};
        QTest::newRow("single") << "5" << QList<int>{4};
        QTest::newRow("range, single") << "1-3,7" << QList<int>{0, 1, 2, 6};
        QTest::newRow("input order") << "10,2-3" << QList<int>{9, 1, 2};
        QTest::newRow("empty parts") << ",4,,5," << QList<int>{3, 4};
        QTest::newRow("one bound") << "-5" << QList<int>{};
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
    }

    void hugeRangeIsBounded() { QCOMPARE(parseSequence("1-2000000000").size(), 1000000); }

    void millimetres_data()
    {
        QTest::addColumn<float>("mm");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("A4 width") << 210.f << 300 << 2480;
        QTest::newRow("zero") << 0.f << 300 << 0;
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

    void random()
    {
        QCOMPARE(randomString(0), QString());
        QCOMPARE(randomString(-3), QString());
        const QRegularExpression alphabet("^[0-9a-zA-Z]{8}$");
        for (int i = 0; i < 50; ++i)
            QVERIFY(alphabet.match(randomString(8)).hasMatch());
    }

    void best_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("match");
        QTest::newRow("exact wins") << "ab" << QStringList{"xaxb", "ab"} << "ab";
        QTest::newRow("subsequence") << "ab" << QStringList{"xaxb", "ba"} << "xaxb";
        QTest::newRow("none: first") << "qq" << QStringList{"a", "b"} << "a";
        QTest::newRow("empty list") << "qq" << QStringList{} << "";
        QTest::newRow("case") << "AB" << QStringList{"ab", "xAyB"} << "xAyB";
        QTest::newRow("repeats") << "aa" << QStringList{"a", "bab", "baa"} << "baa";
    }
    void best()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, list);
        QFETCH(QString, match);
        QCOMPARE(bestMatch(text, list), match);
    }

    void clearDirRemovesNestedButNotLinkTargets()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path() + QStringLiteral("/扫描 目录");
        QVERIFY(QDir().mkpath(dir + "/a/b/c") && QDir().mkpath(tmp.path() + "/outside"));
        touch(dir + "/a/b/c/deep.jpg");
        touch(dir + QStringLiteral("/页 1.jpg"));
        touch(dir + "/.hidden");
        touch(tmp.path() + "/outside/keep.jpg");
        QVERIFY(QFile::link(tmp.path() + "/outside", dir + "/link"));
        clearDir(dir);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{".hidden"});
        QVERIFY(QFile::exists(tmp.path() + "/outside/keep.jpg"));
    }

    void clearDirOfEmptyMissingOrNoPathChangesNothing()
    {
        QTemporaryDir tmp;
        clearDir(tmp.path());
        clearDir(tmp.path() + "/missing");
        QVERIFY(QFileInfo(tmp.path()).isDir() && !QFileInfo::exists(tmp.path() + "/missing"));
        touch(tmp.path() + "/keep.txt"); // an empty path must not mean the working folder
        const QString old = QDir::currentPath();
        QDir::setCurrent(tmp.path());
        clearDir(QString());
        QDir::setCurrent(old);
        QVERIFY(QFile::exists(tmp.path() + "/keep.txt"));
    }
};

QTEST_GUILESS_MAIN(TestNameUtils)
#include "test_nameutils.moc"
