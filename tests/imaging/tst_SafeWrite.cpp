#include "SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

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
        QCOMPARE(read(page), QByteArray("new"));
        const QFile::Permissions bits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther | QFile::WriteGroup;
        QCOMPARE(QFile::permissions(page) & bits, QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ReadGroup);
        QCOMPARE(entries(dir), QStringList({"第 1 页.jpg"}));
    }

    void failuresLeaveThePageAndNoTemporaryFile_data()
    {
        QTest::addColumn<int>("failure");
        QTest::newRow("writer reports failure") << 0;
        QTest::newRow("writer leaves an empty file") << 1;
        QTest::newRow("writer throws") << 2;
    }
    void failuresLeaveThePageAndNoTemporaryFile()
    {
        QFETCH(int, failure);
        QTemporaryDir dir;
        const QString page = dir.filePath("a.tif");
        write(page, "original");
        auto writer = [&](const QString& tmp) {
            write(tmp, "");
            if (failure == 2)
                throw std::runtime_error("encoder");
            if (failure == 0)
                write(tmp, "partial");
            return failure == 1;
        };
        if (failure == 2)
            QVERIFY_EXCEPTION_THROWN(SafeWrite::replaceFile(page, writer), std::runtime_error);
        else
            QVERIFY(!SafeWrite::replaceFile(page, writer));
        QCOMPARE(read(page), QByteArray("original"));
        QCOMPARE(entries(dir), QStringList({"a.tif"}));
    }

    void newFilesAndReadOnlyPages()
    {
        QTemporaryDir dir;
        const QString fresh = dir.filePath("new.png");
        QVERIFY(SafeWrite::replaceFile(fresh, [](const QString& tmp) { return write(tmp, "x"); }));
        QVERIFY(QFile::permissions(fresh) & QFile::ReadOther);

        const QString locked = dir.filePath("locked.png");
        write(locked, "keep");
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadUser);
        QString error;
        QVERIFY(!SafeWrite::replaceFile(locked, [](const QString& tmp) { return write(tmp, "x"); },
                                        &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(read(locked), QByteArray("keep"));
        QCOMPARE(entries(dir), QStringList({"locked.png", "new.png"}));
    }

private:
    static bool write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QStringList entries(const QTemporaryDir& dir)
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_SafeWrite.moc"
