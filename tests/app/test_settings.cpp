#include "../imaging/ReadOnlyGuard.h"
#include "AppPaths.h"
#include "ProcessParams.h"
#include "SettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {

QVariantList fields(const stPageNoInfo& p)
{
    return {p.area,      p.marginHor, p.marginVer, p.fontFamily, p.fontSize, p.bold,   p.italic,
            p.underline, p.strikeOut, p.startNo,   p.noLen,      p.prefix,   p.suffix, p.zeroFill};
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// While in scope no file of this process can grow, as on a full disk (root too);
// a write past the limit then fails instead of raising SIGXFSZ.
struct FullDisk
{
    rlimit saved{};
    bool ok = getrlimit(RLIMIT_FSIZE, &saved) == 0 && std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    FullDisk()
    {
        const rlimit none{0, saved.rlim_max};
        ok = ok && setrlimit(RLIMIT_FSIZE, &none) == 0;
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
    }
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;

private slots:
    void init()
    {
        m_dir = new QTemporaryDir(QDir::tempPath() + "/设置 test-XXXXXX");
        AppPaths::setBaseDirForTesting(m_dir->path());
        ProcessParams::current() = ProcessParams();
    }
    void cleanup()
    {
        AppPaths::setBaseDirForTesting(QString());
        delete m_dir;
    }

    void freshInstallWritesOnlyWrittenKeys()
    {
        ProcessParams& p = ProcessParams::current();
        SettingsStore::loadSettings();
        QVERIFY(!QFile::exists(AppPaths::settingsFile()));

        SettingsStore::setSettingValues({{SettingsStore::kDpiY, 200}, {SettingsStore::kDpiX, 300}});
        QCOMPARE(QSettings(AppPaths::settingsFile(), QSettings::IniFormat).allKeys(),
                 QStringList({"dpi/dpiX", "dpi/dpiY"}));
        QCOMPARE(p.dpiX, 300);
    }

    void colourFactorsStoredWithTwoDecimals()
    {
        SettingsStore::saveColourSettings({-20, 1.256f, 0.5f});
        const QByteArray text = bytesOf(AppPaths::settingsFile());
        QVERIFY2(text.contains("contrast=1.26\n") && text.contains("saturation=0.50\n"), text);
        QCOMPARE(ProcessParams::current().colour.contrast, 1.26f);
    }

    void failedWriteKeepsTheStoredValues_data()
    {
        QTest::addColumn<bool>("fullDisk"); // else the folder is read-only
        QTest::newRow("full disk") << true;
        QTest::newRow("read-only folder") << false;
    }
    // Also the page-number record's round trip: every field off its default, and
    // the spaces around prefix and suffix must survive.
    void failedWriteKeepsTheStoredValues()
    {
        QFETCH(bool, fullDisk);
        const stPageNoInfo stored{"左下", 7,    22, "宋体", 11,    true,  true,
                                  true,   true, 37, 6,      "第 ", " 页", false};
        SettingsStore::setSettingValue(SettingsStore::kDpiX, 150);
        SettingsStore::savePageNoSettings(stored);
        ProcessParams::current() = ProcessParams(); // as a new process
        SettingsStore::loadSettings();
        QCOMPARE(fields(ProcessParams::current().pageNo), fields(stored));
        const QByteArray onDisk = bytesOf(AppPaths::settingsFile());
        {
            std::unique_ptr<FullDisk> full(fullDisk ? new FullDisk : nullptr);
            ReadOnlyGuard readOnly(fullDisk ? QString() : m_dir->path());
            if (!(fullDisk ? full->ok : readOnly.ok()))
                QSKIP("this system cannot make the settings unwritable");
            SettingsStore::setSettingValue(SettingsStore::kDpiX, 300);
            SettingsStore::savePageNoSettings({});
        }
        QCOMPARE(ProcessParams::current().dpiX, 150);
        QCOMPARE(fields(ProcessParams::current().pageNo), fields(stored));
        QCOMPARE(SettingsStore::settingValue(SettingsStore::kDpiX).toInt(), 150);
        QCOMPARE(bytesOf(AppPaths::settingsFile()), onDisk);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"settings.ini"}); // no trial copy left behind
        // Nothing of the lost write surfaces later, as a fresh process would read.
        SettingsStore::loadSettings();
        QCOMPARE(ProcessParams::current().dpiX, 150);
    }

    void backgroundColourRejectsBadTextAndRoundTrips()
    {
        SettingsStore::setSettingValue(SettingsStore::kBackgroundColour, "300,0,0");
        SettingsStore::loadBackgroundColour();
        QCOMPARE(ProcessParams::current().backgroundColour, QColor(Qt::white));
        SettingsStore::saveBackgroundColour(QColor(1, 2, 3));
        SettingsStore::loadBackgroundColour();
        QCOMPARE(ProcessParams::current().backgroundColour, QColor(1, 2, 3));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
