// tarvo-scan end to end through our manager and SANE's test devices: listing,
// an append scan, the exit status of usage errors and of a folder it cannot
// write to.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run tarvoScan(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TARVO_SCAN_EXE), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void touch(const QString& path, const QByteArray& content = "old")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

} // namespace

class TestScanCommand : public QObject
{
    Q_OBJECT

private slots:
    void listPrintsNameAndSaneDevice()
    {
        const Run run = tarvoScan({"--list"});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).endsWith("\ttest:0"));
        QVERIFY(lines.at(1).endsWith("\ttest:1"));
    }

    // Codes continue from the folder's largest number; a taken name is skipped,
    // never overwritten.
    void appendPlacesPagesAfterTheLastNumber()
    {
        QTemporaryDir dir;
        touch(dir.path() + "/A-0001.jpg");
        touch(dir.path() + "/A-0002.jpg");
        Run run = tarvoScan({"--device", "test:1", "--adf", "--count", "2", "--dpi", "75",
                             "--colour", "灰度图", "--prefix", "A-", "--length", "4", dir.path()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(QFile::exists(dir.path() + "/A-0003.jpg"));
        QVERIFY(QFile::exists(dir.path() + "/A-0004.jpg"));
        QVERIFY(run.out.contains("已扫描1页：") && run.out.contains("已扫描2页："));

        touch(dir.path() + "/A-0004.bmp");
        run = tarvoScan({"--device", "test:0", "--next", "4", "--dpi", "75", "--colour", "黑白",
                         "--prefix", "A-", "--length", "4", dir.path()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QFile kept(dir.path() + "/A-0004.bmp");
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old"));
        QVERIFY(QFile::exists(dir.path() + "/A-0005.bmp"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 6);
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--device", "test:0", "--bogus", "."};
        QTest::newRow("no folder") << QStringList{"--device", "test:0"};
        QTest::newRow("no device given") << QStringList{"."};
        QTest::newRow("no such device") << QStringList{"--device", "nothing", "."};
        QTest::newRow("bad colour") << QStringList{"--device", "test:0", "--colour", "红", "."};
        QTest::newRow("bad dpi") << QStringList{"--device", "test:0", "--dpi", "333", "."};
        QTest::newRow("bad size") << QStringList{"--device", "test:0", "--size", "A0", "."};
        QTest::newRow("bad length") << QStringList{"--device", "test:0", "--length", "0", "."};
        QTest::newRow("insert mode") << QStringList{"--device", "test:0", "--mode", "insert", "."};
    }

    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        arguments.replace(arguments.size() - 1,
                          arguments.last() == "." ? dir.path() : arguments.last());
        const Run run = tarvoScan(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void unwritableFolderExitsOne()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        // The superuser writes anywhere; a proc folder is read-only even for it.
        const QString folder = ::geteuid() == 0 ? QStringLiteral("/proc/self") : dir.path();
        const Run run = tarvoScan({"--device", "test:0", "--dpi", "75", folder});
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("扫描仪错误："));
    }
};

QTEST_GUILESS_MAIN(TestScanCommand)
#include "tst_ScanCommand.moc"
