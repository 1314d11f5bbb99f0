#include "AppPaths.h"
#include "ProcessParams.h"
#include "SettingsStore.h"
#include "StartupPreparation.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

// TMPDIR points at a private folder, so the real "qavo" is never touched.
class TestStartupPreparation : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        AppPaths::setBaseDirForTesting(m_tmp.path());
    }

    QString ownName() const { return m_tmp.path() + "/qavo-" + QString::number(::geteuid()); }

    static int modeOf(const QString& path)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : -1;
    }

    // Pages left in the scan folder are kept in the data directory's recovery
    // folder (the home's when no data directory is set) before it is emptied.
    void leftoverPagesAreKeptThenFolderEmptied_data()
    {
        QTest::addColumn<bool>("withDataDir");
        QTest::newRow("data directory") << true;
        QTest::newRow("no data directory: home") << false;
    }

    void leftoverPagesAreKeptThenFolderEmptied()
    {
        QFETCH(bool, withDataDir);
        const QString root = m_tmp.path() + (withDataDir ? "/data" : "/home");
        QVERIFY(QDir().mkpath(root));
        qputenv("HOME", QFile::encodeName(m_tmp.path() + "/home"));
        SettingsStore::setSettingValue(SettingsStore::kRootPath, withDataDir ? root : QString());
        const QString qavo = scanTempDir();
        QCOMPARE(qavo, ownName());
        QCOMPARE(modeOf(qavo), 0700);
        QVERIFY(QDir().mkpath(qavo + "/sub/deeper"));
        for (const QString& file : {qavo + "/sub/deeper/x.jpg", qavo + "/.partial"})
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        // A loose page, a page of a process that is gone, one of a running
        // instance (pid 1 always runs).
        for (const QString& name : {QString("/001.jpg"), QString("/999999999/002.jpg"),
                                    QString("/1/003.jpg")}) {
            QVERIFY(QDir().mkpath(QFileInfo(qavo + name).absolutePath()));
            QFile page(qavo + name);
            QVERIFY(page.open(QIODevice::WriteOnly) && page.write("page") == 4);
        }

        prepareProcessState();
        QVERIFY(QFileInfo(qavo).isDir());
        QCOMPARE(QDir(qavo).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"1"});
        QVERIFY(QFile::exists(qavo + "/1/003.jpg"));
        const QString recovery = root + "/scan-recovery/";
        QStringList saved;
        for (const QString& folder : QDir(recovery).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString& file : QDir(recovery + folder).entryList(QDir::Files))
                saved << file;
        saved.sort();
        QCOMPARE(saved, (QStringList{"0001-001.jpg", "0001-002.jpg"}));
        QDir(qavo + "/1").removeRecursively();
        QDir(root).removeRecursively();
    }

    void looseModeIsTightened()
    {
        QVERIFY(::chmod(QFile::encodeName(scanTempDir()).constData(), 0777) == 0);
        QCOMPARE(scanTempDir(), ownName());
        QCOMPARE(modeOf(ownName()), 0700);
    }

    // A link or a file in the folder's place is never followed nor removed:
    // another private folder is used, and what the link points at survives.
    void takenNameGivesFreshPrivateFolder_data()
    {
        QTest::addColumn<bool>("asLink");
        QTest::newRow("link") << true;
        QTest::newRow("file") << false;
    }

    void takenNameGivesFreshPrivateFolder()
    {
        QFETCH(bool, asLink);
        QVERIFY(QDir(ownName()).removeRecursively() || !QFileInfo::exists(ownName()));
        QFile::remove(ownName());
        QVERIFY(QDir().mkpath(m_tmp.path() + "/else"));
        QVERIFY(QFile(m_tmp.path() + "/else/keep.jpg").open(QIODevice::WriteOnly));
        if (asLink)
            QVERIFY(QFile::link(m_tmp.path() + "/else", ownName()));
        else
            QVERIFY(QFile(ownName()).open(QIODevice::WriteOnly));
        prepareProcessState();
        const QString used = scanTempDir();
        QVERIFY(used != ownName() && used.startsWith(ownName() + "-"));
        QVERIFY(QFileInfo(used).isDir() && !QFileInfo(used).isSymLink());
        QCOMPARE(modeOf(used), 0700);
        QVERIFY(QFile::exists(m_tmp.path() + "/else/keep.jpg"));
        QVERIFY(QFileInfo(ownName()).isSymLink() == asLink);
        QFile::remove(ownName());
    }
};

QTEST_GUILESS_MAIN(TestStartupPreparation)
#include "test_startup_preparation.moc"
