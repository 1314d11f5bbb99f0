#include "PageTestFiles.h"
#include "SafeWrite.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

using namespace PageTestFiles;

static bool write(const QString& path, const QByteArray& bytes)
{
    return writeBytes(path, bytes) == path && bytesOf(path) == bytes;
}

static QStringList entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class TestSafeWrite : public QObject
{
    Q_OBJECT
private slots:
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
        QCOMPARE(seen.suffix(), QString("jpg"));
        QCOMPARE(seen.absolutePath(), dir.path());
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
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_SafeWrite.moc"
