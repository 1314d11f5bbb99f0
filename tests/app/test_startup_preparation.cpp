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
        QFile page(qavo + "/001.jpg");
        QVERIFY(page.open(QIODevice::WriteOnly) && page.write("page") == 4);
        page.close();

        prepareProcessState();
        QVERIFY(QFileInfo(qavo).isDir());
        QVERIFY(QDir(qavo).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        const QStringList kept =
            QDir(root + "/scan-recovery").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(kept.size(), 1);
        QFile saved(root + "/scan-recovery/" + kept.first() + "/0001-001.jpg");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("page"));
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
