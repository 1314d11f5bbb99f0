// tarvo-scan end to end through our manager and SANE's test devices: listing,
// append and replace, blank pages, the exit status of usage errors and
// of a folder it cannot write to. Every run gets a private TMPDIR and HOME, so
// the scan folder and the recovery folder are the test's own.

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

QTemporaryDir& sandbox()
{
    static QTemporaryDir dir;
    return dir;
}

Run tarvoScan(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QDir().mkpath(sandbox().filePath("tmp"));
    QDir().mkpath(sandbox().filePath("home"));
    env.insert("TMPDIR", sandbox().filePath("tmp"));
    env.insert("HOME", sandbox().filePath("home"));
    env.remove("XDG_DATA_HOME");
    process.setProcessEnvironment(env);
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

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Folder of numbered pages whose content is their own name.
void makePages(const QString& folder, const QStringList& names)
{
    for (const QString& name : names)
        touch(folder + "/" + name, name.toUtf8());
}

// The folder as "name=content" pairs, a scanned JPEG page shown as "scan".
QString layout(const QString& folder)
{
    QStringList pairs;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const QByteArray content = contentOf(folder + "/" + name);
        pairs << name + "=" + (content.startsWith("\xff\xd8") ? "scan" : QString(content));
    }
    return pairs.join(' ');
}

QStringList files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The folder a summary line or an error names after prefix.
QString folderAfter(const QString& text, const QString& prefix)
{
    const int at = text.indexOf(prefix);
    return at < 0 ? QString() : text.mid(at + prefix.size()).section('\n', 0, 0).trimmed();
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

    // Codes continue from the folder's largest number.
    void appendPlacesPagesAfterTheLastNumber()
    {
        QTemporaryDir dir;
        touch(dir.path() + "/A-0001.jpg");
        touch(dir.path() + "/A-0002.jpg");
        const Run run =
            tarvoScan({"--device", "test:1", "--adf", "--count", "2", "--dpi", "75", "--colour",
                       "灰度图", "--prefix", "A-", "--length", "4", dir.path()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(QFile::exists(dir.path() + "/A-0003.jpg"));
        QVERIFY(QFile::exists(dir.path() + "/A-0004.jpg"));
        QCOMPARE(files(dir.path()).size(), 4);
    }

    // Three feeder pages replace the last of 0001-0005: the first takes its
    // place and the old 0005 goes to the trash, never lost.
    void replaceTakesThePlaceAndTrashesTheOld()
    {
        QTemporaryDir dir;
        makePages(dir.path(), {"0001.jpg", "0002.jpg", "0003.jpg", "0004.jpg", "0005.jpg"});
        const Run run =
            tarvoScan({"--device", "test:0", "--dpi", "75", "--length", "4", "--adf", "--count",
                       "3", "--mode", "replace", "--at", dir.path() + "/0005.jpg", dir.path()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(layout(dir.path()),
                 QString("0001.jpg=0001.jpg 0002.jpg=0002.jpg 0003.jpg=0003.jpg "
                         "0004.jpg=0004.jpg 0005.jpg=scan 0006.jpg=scan "
                         "0007.jpg=scan"));
        const QString trash = sandbox().filePath("home/.local/share/Trash/files/0005.jpg");
        QCOMPARE(contentOf(trash), QByteArray("0005.jpg"));
    }

    // The test device's pages are plain white: every one is skipped, kept in the
    // recovery folder and counted; that is not a failure.
    void skipBlankKeepsBlankPagesAside()
    {
        QTemporaryDir dir;
        const Run run =
            tarvoScan({"--device", "test:1", "--adf", "--dpi", "75", "--skip-blank", dir.path()});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(files(dir.path()).isEmpty());
        QVERIFY(run.out.contains("跳过空白页10页"));
        QCOMPARE(files(folderAfter(run.out, "跳过空白页10页，已移到 ")).size(), 10);
    }

    void usageErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--device", "test:0", "--bogus", "."};
        QTest::newRow("no folder") << QStringList{"--device", "test:0"};
        QTest::newRow("no such device") << QStringList{"--device", "nothing", "."};
        QTest::newRow("bad dpi") << QStringList{"--device", "test:0", "--dpi", "333", "."};
        QTest::newRow("--at not in folder")
            << QStringList{"--device", "test:0", "--mode", "insert", "--at", "0009.jpg", "."};
        QTest::newRow("--at with append")
            << QStringList{"--device", "test:0", "--at", "0001.jpg", "."};
    }

    void usageErrorsExitTwo()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        makePages(dir.path(), {"0001.jpg"});
        arguments.replace(arguments.size() - 1,
                          arguments.last() == "." ? dir.path() : arguments.last());
        const Run run = tarvoScan(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(files(dir.path()), QStringList{"0001.jpg"});
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
        // The page is kept where the message says.
        const QString kept = folderAfter(run.out, "扫描页未能放入目录，已保存到：");
        QVERIFY2(!kept.isEmpty(), qPrintable(run.out + run.err));
        QCOMPARE(files(kept).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestScanCommand)
#include "tst_ScanCommand.moc"
