#include "AppPaths.h"
#include "ProcessParams.h"
#include "StartupPreparation.h"

#include <QTemporaryDir>
#include <QtTest>

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

    void leftoverScanDirIsEmptiedButKept()
    {
        const QString qavo = scanTempDir();
        QCOMPARE(qavo, m_tmp.path() + "/qavo");
        QVERIFY(QDir().mkpath(qavo + "/sub/deeper"));
        for (const QString& file : {qavo + "/sub/deeper/page.jpg", qavo + "/.partial"})
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        prepareProcessState();
        QVERIFY(QFileInfo(qavo).isDir());
        QVERIFY(QDir(qavo).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void linkInPlaceOfScanDirBecomesFolder()
    {
        QVERIFY(QDir(scanTempDir()).removeRecursively() && QDir().mkpath(m_tmp.path() + "/else"));
        QVERIFY(QFile(m_tmp.path() + "/else/keep.jpg").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(m_tmp.path() + "/else", scanTempDir()));
        prepareProcessState();
        QVERIFY(QFileInfo(scanTempDir()).isDir() && !QFileInfo(scanTempDir()).isSymLink());
        QVERIFY(QFile::exists(m_tmp.path() + "/else/keep.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestStartupPreparation)
#include "test_startup_preparation.moc"
