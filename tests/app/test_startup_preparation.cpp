#include "AppPaths.h"
#include "ProcessParams.h"
#include "StartupPreparation.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

// Every case runs with TMPDIR on a private folder, so the real "qavo" is never touched.
class TestStartupPreparation : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_tmp = nullptr;
    QByteArray m_oldTmp;

private slots:
    void init()
    {
        m_tmp = new QTemporaryDir;
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
        QVERIFY(QDir(m_tmp->path() + "/config").mkpath("."));
        AppPaths::setBaseDirForTesting(m_tmp->path() + "/config");
        ProcessParams::current() = ProcessParams();
    }
    void cleanup()
    {
        AppPaths::setBaseDirForTesting(QString());
        qputenv("TMPDIR", m_oldTmp);
        delete m_tmp;
    }

    void leftoverScanDirIsEmptiedButKept()
    {
        const QString qavo = scanTempDir();
        QCOMPARE(qavo, m_tmp->path() + "/qavo");
        QVERIFY(QDir().mkpath(qavo + "/sub/deeper"));
        touch(qavo + "/sub/deeper/page.jpg");
        touch(qavo + "/0001.jpg");
        touch(qavo + "/.partial");
        QTest::ignoreMessage(QtDebugMsg,
                             qPrintable(QStringLiteral("临时目录为：") + m_tmp->path()));
        prepareProcessState();
        QVERIFY(QFileInfo(qavo).isDir());
        QCOMPARE(QDir(qavo).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void missingScanDirIsCreated()
    {
        prepareProcessState();
        QVERIFY(QFileInfo(scanTempDir()).isDir());
    }

    void strayFileOrLinkIsReplacedByFolder()
    {
        touch(scanTempDir());
        prepareProcessState();
        QVERIFY(QFileInfo(scanTempDir()).isDir());

        QVERIFY(QDir(scanTempDir()).removeRecursively());
        QVERIFY(QDir().mkpath(m_tmp->path() + "/elsewhere"));
        touch(m_tmp->path() + "/elsewhere/keep.jpg");
        QVERIFY(QFile::link(m_tmp->path() + "/elsewhere", scanTempDir()));
        prepareProcessState();
        QVERIFY(QFileInfo(scanTempDir()).isDir() && !QFileInfo(scanTempDir()).isSymLink());
        QVERIFY(QFile::exists(m_tmp->path() + "/elsewhere/keep.jpg"));
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
