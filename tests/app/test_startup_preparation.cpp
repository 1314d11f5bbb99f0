#include "AppPaths.h"
#include "ProcessParams.h"
#include "StartupPreparation.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

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
        touch(qavo + "/sub/deeper/page.jpg");
        touch(qavo + "/0001.jpg");
        touch(qavo + "/.partial");
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("临时目录为：") + m_tmp.path()));
        prepareProcessState();
        QVERIFY(QFileInfo(qavo).isDir());
        QVERIFY(QDir(qavo).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void strayFileOrLinkBecomesFolder()
    {
        QVERIFY(QDir(scanTempDir()).removeRecursively());
        touch(scanTempDir());
        prepareProcessState();
        QVERIFY(QFileInfo(scanTempDir()).isDir());

        QVERIFY(QDir(scanTempDir()).removeRecursively() && QDir().mkpath(m_tmp.path() + "/else"));
        touch(m_tmp.path() + "/else/keep.jpg");
        QVERIFY(QFile::link(m_tmp.path() + "/else", scanTempDir()));
        prepareProcessState();
        QVERIFY(QFileInfo(scanTempDir()).isDir() && !QFileInfo(scanTempDir()).isSymLink());
        QVERIFY(QFile::exists(m_tmp.path() + "/else/keep.jpg"));
    }

    void loadsSettingsAndBackgroundColour()
    {
        {
            QSettings raw(AppPaths::settingsFile(), QSettings::IniFormat);
            raw.setValue("dpi/dpiX", 400);
            raw.setValue("image/background-color", "12,34,56");
        }
        prepareProcessState();
        QCOMPARE(ProcessParams::current().dpiX, 400);
        QCOMPARE(ProcessParams::current().backgroundColour, QColor(12, 34, 56));
    }
};

QTEST_GUILESS_MAIN(TestStartupPreparation)
#include "test_startup_preparation.moc"
