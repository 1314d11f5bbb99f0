#include "AppPaths.h"
#include "ProcessParams.h"
#include "SettingsStore.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString fileText()
{
    QFile file(AppPaths::settingsFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Makes every process-wide value differ from its default, so a load must set each.
void scrambleParams()
{
    ProcessParams& p = ProcessParams::current();
    p.margins = {9, 9, 9, 9};
    p.saveMode = 9;
    p.dpiX = p.dpiY = 9;
    p.pageNo.area = "x";
    p.pageNo.marginHor = p.pageNo.marginVer = p.pageNo.fontSize = 9;
    p.pageNo.fontFamily = "x";
    p.pageNo.bold = p.pageNo.italic = p.pageNo.underline = p.pageNo.strikeOut = true;
    p.pageNo.startNo = p.pageNo.noLen = 9;
    p.pageNo.prefix = p.pageNo.suffix = "x";
    p.pageNo.zeroFill = false;
    p.colour = {9, 9.0f, 9.0f};
    p.pageSize = {9, 9};
}

// Points the store at a folder that cannot be created, whoever runs the test.
void pointAtUnwritableDir(const QTemporaryDir& dir)
{
    QFile blocker(dir.path() + "/blocker");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppPaths::setBaseDirForTesting(blocker.fileName() + "/config");
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
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

    void freshInstallReadsEveryDefault()
    {
        scrambleParams();
        SettingsStore::loadSettings();
        const ProcessParams& p = ProcessParams::current();
        QCOMPARE(p.margins.top + p.margins.bottom + p.margins.left + p.margins.right, 0);
        QCOMPARE(p.saveMode, 1);
        QCOMPARE(p.dpiX, 0);
        QCOMPARE(p.dpiY, 0);
        QCOMPARE(p.pageNo.area, QStringLiteral("右上"));
        QCOMPARE(p.pageNo.marginHor, 15);
        QCOMPARE(p.pageNo.marginVer, 15);
        QCOMPARE(p.pageNo.fontFamily, QStringLiteral("黑体"));
        QCOMPARE(p.pageNo.fontSize, 6);
        QVERIFY(!p.pageNo.bold && !p.pageNo.italic && !p.pageNo.underline);
        QVERIFY(!p.pageNo.strikeOut);
        QCOMPARE(p.pageNo.startNo, 1);
        QCOMPARE(p.pageNo.noLen, 4);
        QVERIFY(p.pageNo.prefix.isEmpty() && p.pageNo.suffix.isEmpty());
        QVERIFY(p.pageNo.zeroFill);
        QCOMPARE(p.colour.brightness, 0);
        QCOMPARE(p.colour.contrast, 1.0f);
        QCOMPARE(p.colour.saturation, 1.0f);
        QCOMPARE(p.pageSize.widthMM, 0);
        QCOMPARE(p.pageSize.heightMM, 0);
        QVERIFY(!SettingsStore::settingValue(SettingsStore::kRootPath).isValid());
        QVERIFY(!QFile::exists(AppPaths::settingsFile()));
    }

    void firstWriteCreatesOnlyWrittenKeys()
    {
        QTest::ignoreMessage(QtDebugMsg, "set dpi/dpiX 300");
        QTest::ignoreMessage(QtDebugMsg, "set dpi/dpiY 200");
        SettingsStore::setSettingValues({{SettingsStore::kDpiY, 200}, {SettingsStore::kDpiX, 300}});
        QSettings raw(AppPaths::settingsFile(), QSettings::IniFormat);
        QCOMPARE(raw.allKeys(), QStringList({"dpi/dpiX", "dpi/dpiY"}));
        QCOMPARE(ProcessParams::current().dpiX, 300);
        QCOMPARE(ProcessParams::current().dpiY, 200);
    }

    void singleWriteReloadsAndKeepsUtf8()
    {
        const QString root = QStringLiteral("/数据/档案 2024");
        SettingsStore::setSettingValue(SettingsStore::kRootPath, root);
        SettingsStore::setSettingValue(SettingsStore::kSaveMode, 3);
        QCOMPARE(SettingsStore::settingValue(SettingsStore::kRootPath).toString(), root);
        QVERIFY(fileText().contains(root));
        QCOMPARE(ProcessParams::current().saveMode, 3);
    }

    void nonNumericTextReadsAsZero()
    {
        SettingsStore::setSettingValue(SettingsStore::kMarginsTop, "abc");
        QCOMPARE(ProcessParams::current().margins.top, 0);
    }

    void colourFactorsStoredWithTwoDecimals()
    {
        SettingsStore::saveColourSettings({-20, 1.256f, 0.5f});
        const QString text = fileText();
        QVERIFY2(text.contains("contrast=1.26"), qPrintable(text));
        QVERIFY2(text.contains("saturation=0.50"), qPrintable(text));
        QVERIFY2(text.contains("brightness=-20"), qPrintable(text));
        const ProcessParams& p = ProcessParams::current();
        QCOMPARE(p.colour.contrast, 1.26f);
        QCOMPARE(p.colour.saturation, 0.5f);
        QCOMPARE(p.colour.brightness, -20);
    }

    void pageNumberRecordSurvivesRestart()
    {
        stPageNoInfo in;
        in.area = QStringLiteral("左下");
        in.marginHor = 7;
        in.marginVer = 22;
        in.fontFamily = QStringLiteral("宋体");
        in.fontSize = 11;
        in.bold = in.italic = in.underline = in.strikeOut = true;
        in.startNo = 37;
        in.noLen = 6;
        in.prefix = QStringLiteral("第 ");
        in.suffix = QStringLiteral(" 页");
        in.zeroFill = false;
        SettingsStore::savePageNoSettings(in);

        ProcessParams::current() = ProcessParams(); // a new process
        SettingsStore::loadSettings();
        const stPageNoInfo& out = ProcessParams::current().pageNo;
        QCOMPARE(out.area, in.area);
        QCOMPARE(out.marginHor, in.marginHor);
        QCOMPARE(out.marginVer, in.marginVer);
        QCOMPARE(out.fontFamily, in.fontFamily);
        QCOMPARE(out.fontSize, in.fontSize);
        QVERIFY(out.bold && out.italic && out.underline && out.strikeOut);
        QCOMPARE(out.startNo, in.startNo);
        QCOMPARE(out.noLen, in.noLen);
        QCOMPARE(out.prefix, in.prefix);
        QCOMPARE(out.suffix, in.suffix);
        QCOMPARE(out.zeroFill, false);
    }

    void unwritableDirKeepsDefaults()
    {
        pointAtUnwritableDir(*m_dir);
        SettingsStore::setSettingValues({{SettingsStore::kDpiX, 300}});
        SettingsStore::saveColourSettings({5, 1.5f, 1.5f});
        QCOMPARE(ProcessParams::current().dpiX, 0);
        QCOMPARE(ProcessParams::current().colour.contrast, 1.0f);
        QVERIFY(!SettingsStore::settingValue(SettingsStore::kDpiX).isValid());
    }

    void readOnlyExistingFileKeepsItsValues()
    {
        SettingsStore::setSettingValue(SettingsStore::kDpiX, 100);
        const QString dir = m_dir->path();
        // Permission bits do not stop root; the immutable flag does.
        const bool immutable = QProcess::execute("chattr", {"+i", dir}) == 0;
        if (!immutable)
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        const bool writable = QFile(dir + "/probe").open(QIODevice::WriteOnly);
        if (!writable)
            SettingsStore::setSettingValue(SettingsStore::kDpiX, 300);
        QFile::remove(dir + "/probe");
        if (immutable)
            QProcess::execute("chattr", {"-i", dir});
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (writable)
            QSKIP("no way to make a folder read-only for this user");
        QCOMPARE(ProcessParams::current().dpiX, 100);
        QCOMPARE(SettingsStore::settingValue(SettingsStore::kDpiX).toInt(), 100);
    }

    void backgroundColour_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QColor>("expected");
        const QColor white(255, 255, 255);
        QTest::newRow("rgb") << "10,20,30" << QColor(10, 20, 30);
        QTest::newRow("missing") << QString() << white;
        QTest::newRow("two parts") << "10,20" << white;
        QTest::newRow("four parts") << "1,2,3,4" << white;
        QTest::newRow("out of range") << "300,0,0" << white;
    }
    void backgroundColour()
    {
        QFETCH(QString, stored);
        QFETCH(QColor, expected);
        if (!stored.isEmpty())
            SettingsStore::setSettingValue(SettingsStore::kBackgroundColour, stored);
        SettingsStore::loadBackgroundColour();
        QCOMPARE(ProcessParams::current().backgroundColour, expected);
    }

    void backgroundColourRoundTrip()
    {
        QTest::ignoreMessage(QtDebugMsg, "write bgColor is 1,2,3");
        SettingsStore::saveBackgroundColour(QColor(1, 2, 3));
        QCOMPARE(SettingsStore::settingValue(SettingsStore::kBackgroundColour).toString(),
                 QStringLiteral("1,2,3"));
        SettingsStore::loadBackgroundColour();
        QCOMPARE(ProcessParams::current().backgroundColour, QColor(1, 2, 3));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
