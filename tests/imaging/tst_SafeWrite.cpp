#include "PageTestFiles.h"
#include "SafeWrite.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace PageTestFiles;

static bool write(const QString& path, const QByteArray& bytes)
{
    return writeBytes(path, bytes) == path && bytesOf(path) == bytes;
}

static QStringList entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Sets a file's modification time to `secs` seconds ago.
static bool age(const QString& path, int secs)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-secs),
                            QFileDevice::FileModificationTime);
}

class TestSafeWrite : public QObject
{
    Q_OBJECT
    qint64 m_deadPid = 0;

private slots:
    void initTestCase()
    {
        // A child that has exited and been reaped: its id names no process.
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        QVERIFY(child > 0);
        QCOMPARE(waitpid(child, nullptr, 0), child);
        m_deadPid = child;
    }

    void replacesOnlyAfterACompleteWrite()
    {
        QTemporaryDir dir;
        const QString page = dir.filePath("第 1 页.jpg");
        write(page, "old");
        QFile::setPermissions(page, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QFileInfo seen;
        QVERIFY(SafeWrite::replaceFile(page, [&](const QString& tmp) {
            seen = QFileInfo(tmp);
            return write(tmp, "new");
        }));
        QVERIFY2(seen.fileName().startsWith(QString(".tarvo-%1-").arg(getpid())),
                 qPrintable(seen.fileName()));
        QCOMPARE(bytesOf(page), QByteArray("new"));
        const auto bits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QCOMPARE(QFile::permissions(page) & (bits | QFile::ReadOther | QFile::WriteGroup), bits);
        QCOMPARE(entries(dir), QStringList({"第 1 页.jpg"}));

        const QString fresh = dir.filePath("new.png");
        QVERIFY(SafeWrite::replaceFile(fresh, [](const QString& tmp) { return write(tmp, "x"); }));
        QVERIFY(QFile::permissions(fresh) & QFile::ReadOther);
    }

    void failuresLeaveThePageAndNoTemporaryFile_data()
    {
        QTest::addColumn<int>("failure");
        QTest::newRow("writer reports failure") << 0;
        QTest::newRow("writer leaves an empty file") << 1;
        QTest::newRow("writer throws") << 2;
        QTest::newRow("read-only page") << 3;
    }
    void failuresLeaveThePageAndNoTemporaryFile()
    {
        QFETCH(int, failure);
        QTemporaryDir dir;
        const QString page = dir.filePath("a.tif");
        write(page, "original");
        if (failure == 3)
            QFile::setPermissions(page, QFile::ReadOwner | QFile::ReadUser);
        auto writer = [&](const QString& tmp) {
            write(tmp, "");
            if (failure == 2)
                throw std::runtime_error("encoder");
            return failure == 0 ? !write(tmp, "partial") : true;
        };
        QString error;
        if (failure == 2)
            QVERIFY_EXCEPTION_THROWN(SafeWrite::replaceFile(page, writer), std::runtime_error);
        else
            QVERIFY(!SafeWrite::replaceFile(page, writer, &error));
        QVERIFY(failure != 3 || !error.isEmpty());
        QCOMPARE(bytesOf(page), QByteArray("original"));
        QCOMPARE(entries(dir), QStringList({"a.tif"}));
    }

    void failedRenameLeavesNoTemporaryFile()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("0001.jpg");
        QVERIFY(QDir().mkdir(target)); // a file cannot replace a folder
        QString error;
        QVERIFY(!SafeWrite::replaceFile(
            target, [](const QString& tmp) { return write(tmp, "new"); }, &error));
        QVERIFY(error.contains(target));
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(entries(dir), QStringList());
    }

    void removeLeftovers_data()
    {
        QTest::addColumn<QString>("name"); // <dead> and <self> stand for process ids
        QTest::addColumn<int>("ageSecs");
        QTest::addColumn<bool>("removed");
        QTest::newRow("killed writer") << ".tarvo-<dead>-aBcDeF.jpg" << 0 << true;
        QTest::newRow("running writer, however old") << ".tarvo-<self>-aBcDeF.tif" << 7200 << false;
        QTest::newRow("old name, an hour old") << ".tarvo-aBcDeF.png" << 3700 << true;
        QTest::newRow("old name, being written") << ".tarvo-aBcDeF.png" << 60 << false;
        QTest::newRow("rename journal") << ".tarvo-journal-<dead>-aBcDeF" << 7200 << false;
        QTest::newRow("page") << "tarvo-<dead>-aBcDeF.jpg" << 7200 << false;
    }
    void removeLeftovers()
    {
        QFETCH(QString, name);
        QFETCH(int, ageSecs);
        QFETCH(bool, removed);
        name.replace("<dead>", QString::number(m_deadPid))
            .replace("<self>", QString::number(getpid()));
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(write(path, "x") && age(path, ageSecs));
        write(dir.filePath("0001.jpg"), "page");

        if (removed)
            QTest::ignoreMessage(QtInfoMsg, qPrintable("删除遗留的临时文件：" + path));
        QCOMPARE(SafeWrite::removeLeftovers(dir.path()), removed ? 1 : 0);
        QCOMPARE(QFile::exists(path), !removed);
        QCOMPARE(bytesOf(dir.filePath("0001.jpg")), QByteArray("page"));
    }

    void leftoverFoldersAndSubFoldersStay()
    {
        QTemporaryDir dir;
        const QString folderNamed = dir.filePath(QString(".tarvo-%1-aBcDeF.jpg").arg(m_deadPid));
        QVERIFY(QDir().mkpath(dir.filePath("卷 1")) && QDir().mkdir(folderNamed));
        const QString nested = dir.filePath(QString("卷 1/.tarvo-%1-aBcDeF.jpg").arg(m_deadPid));
        QVERIFY(write(nested, "x"));
        QCOMPARE(SafeWrite::removeLeftovers(dir.path()), 0);
        QVERIFY(QFileInfo(folderNamed).isDir() && QFile::exists(nested));
        QCOMPARE(SafeWrite::removeLeftovers(dir.filePath("missing")), 0);
    }
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_SafeWrite.moc"
