// The shortcut file's bad cases: malformed files are kept aside and replaced
// by the default; a save leaves files without the group alone. The good paths
// run through the window (tst_Shortcuts).
#include "AppPaths.h"
#include "ShortcutConfig.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray defaults()
{
    return readAll(QStringLiteral(":/config/shortcut.json"));
}

} // namespace

class ShortcutConfigTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file() const { return AppPaths::shortcutFile(); }
    QStringList setAsideFiles() const
    {
        return QDir(m_dir.path()).entryList({"shortcut.json.bad-*"}, QDir::Files);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        AppPaths::setBaseDirForTesting(m_dir.path());
        QVERIFY(!defaults().isEmpty());
    }

    void init()
    {
        QDir dir(m_dir.path());
        dir.removeRecursively();
        QVERIFY(dir.mkpath("."));
    }

    void malformedFileIsKeptAsideOnce_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << defaults().left(200);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no group") << QByteArray(R"({"shortcut": {"Other": []}})");
        QTest::newRow("group not an array") << QByteArray(R"({"shortcut": {"ImageProcess": {}}})");
    }

    void malformedFileIsKeptAsideOnce()
    {
        QFETCH(QByteArray, content);
        writeAll(file(), content);
        ShortcutConfig::table().insert("stale", "X");
        QTest::ignoreMessage(QtWarningMsg, "快捷键配置文件读取失败");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^快捷键配置文件已损坏"));
        ShortcutConfig::loadShortcutConfig();

        const QString aside = ShortcutConfig::takeSetAsideFile();
        QVERIFY2(aside.startsWith(file() + ".bad-"), qPrintable(aside));
        QCOMPARE(readAll(aside), content);
        QCOMPARE(readAll(file()), defaults());
        QCOMPARE(ShortcutConfig::table().size(), 13);
        QCOMPARE(ShortcutConfig::table().value("下一页"), QString("Space"));
        // Told once; the next start finds a good file and keeps nothing aside.
        QVERIFY(ShortcutConfig::takeSetAsideFile().isEmpty());
        ShortcutConfig::loadShortcutConfig();
        QVERIFY(ShortcutConfig::takeSetAsideFile().isEmpty());
        QCOMPARE(setAsideFiles().size(), 1);
    }

    void saveLeavesOtherFilesAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << defaults().left(120);
        QTest::newRow("no group") << QByteArray(R"({"shortcut": {"Scan": []}})");
    }

    void saveLeavesOtherFilesAlone()
    {
        QFETCH(QByteArray, content);
        writeAll(file(), content);
        QVERIFY(!ShortcutConfig::saveShortcut("ImageProcess", "黑白", "T"));
        QCOMPARE(readAll(file()), content);
    }
};

QTEST_GUILESS_MAIN(ShortcutConfigTest)
#include "tst_ShortcutConfig.moc"
