// The shortcut file on disk: seeding, malformed files kept aside, saves that
// change exactly what they name, and files a save must leave alone.
#include "AppPaths.h"
#include "ShortcutConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

QByteArray document(const QJsonArray& bindings)
{
    const QJsonObject root{{"shortcut", QJsonObject{{"ImageProcess", bindings}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QJsonArray bindingsIn(const QByteArray& bytes)
{
    return QJsonDocument::fromJson(bytes)
        .object()
        .value("shortcut")
        .toObject()
        .value("ImageProcess")
        .toArray();
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

    void missingFileIsSeededFromTheDefault()
    {
        ShortcutConfig::loadShortcutConfig();
        QCOMPARE(readAll(file()), defaults());
        const QMap<QString, QString>& table = ShortcutConfig::table();
        QCOMPARE(table.size(), 13);
        QCOMPARE(table.value("下一页"), QString("Space"));
        QCOMPARE(table.value("撤销"), QString("Ctrl+Z"));
        QVERIFY(table.contains("上一页"));
        QCOMPARE(table.value("上一页"), QString());
        QVERIFY(ShortcutConfig::takeSetAsideFile().isEmpty());
    }

    void malformedFileIsKeptAsideOnce_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << defaults().left(200);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not JSON") << QByteArray("Q=向左旋转\n");
        QTest::newRow("array root") << QByteArray("[]");
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

    void unreadableFileStaysWhereItIs()
    {
        // A folder in the file's place cannot be opened, whoever runs the test.
        QVERIFY(QDir().mkpath(file()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^open failed"));
        QTest::ignoreMessage(QtWarningMsg, "快捷键配置文件读取失败");
        ShortcutConfig::loadShortcutConfig();
        QVERIFY(ShortcutConfig::table().isEmpty());
        QVERIFY(QFileInfo(file()).isDir());
        QVERIFY(setAsideFiles().isEmpty());
    }

    void saveChangesOneLineOfTheIndentedFile()
    {
        ShortcutConfig::loadShortcutConfig();
        QVERIFY(ShortcutConfig::saveShortcut("ImageProcess", "向右旋转", "R"));
        const QList<QByteArray> before = defaults().split('\n');
        const QList<QByteArray> after = readAll(file()).split('\n');
        QCOMPARE(after.size(), before.size());
        QList<QByteArray> changed;
        for (int i = 0; i < before.size(); ++i) {
            if (before.at(i) != after.at(i))
                changed << after.at(i).trimmed();
        }
        QCOMPARE(changed, QList<QByteArray>{"\"key\": \"R\""});
        QCOMPARE(bindingsIn(readAll(file())).at(1).toObject().value("action").toString(),
                 QString("向右旋转"));
        QCOMPARE(ShortcutConfig::table().value("向右旋转"), QString("R"));
        // Nothing of the temporary file is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"shortcut.json"});
    }

    void saveAppendsAnActionNotInTheFile()
    {
        ShortcutConfig::loadShortcutConfig();
        QVERIFY(ShortcutConfig::saveShortcut("ImageProcess", "黑白", "Ctrl+T"));
        const QJsonArray bindings = bindingsIn(readAll(file()));
        QCOMPARE(bindings.size(), 14);
        QCOMPARE(bindings.last().toObject(), (QJsonObject{{"action", "黑白"}, {"key", "Ctrl+T"}}));
        ShortcutConfig::loadShortcutConfig();
        QCOMPARE(ShortcutConfig::table().value("黑白"), QString("Ctrl+T"));
    }

    void duplicatedActionLoadsTheLastAndSavesEvery()
    {
        writeAll(file(), document({QJsonObject{{"action", "下一页"}, {"key", "N"}},
                                   QJsonObject{{"action", "黑白"}, {"key", "X"}},
                                   QJsonObject{{"action", "下一页"}, {"key", "M"}}}));
        ShortcutConfig::loadShortcutConfig();
        QCOMPARE(ShortcutConfig::table().value("下一页"), QString("M"));

        QVERIFY(ShortcutConfig::saveShortcut("ImageProcess", "下一页", "K"));
        const QJsonArray bindings = bindingsIn(readAll(file()));
        QCOMPARE(bindings.size(), 3);
        QCOMPARE(bindings.at(0).toObject().value("key").toString(), QString("K"));
        QCOMPARE(bindings.at(1).toObject().value("key").toString(), QString("X"));
        QCOMPARE(bindings.at(2).toObject().value("key").toString(), QString("K"));
        ShortcutConfig::loadShortcutConfig();
        QCOMPARE(ShortcutConfig::table().value("下一页"), QString("K"));
    }

    void saveLeavesOtherFilesAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << defaults().left(120);
        QTest::newRow("not JSON") << QByteArray("nonsense");
        QTest::newRow("no shortcut member") << QByteArray(R"({"ImageProcess": []})");
        QTest::newRow("no group") << QByteArray(R"({"shortcut": {"Scan": []}})");
    }

    void saveLeavesOtherFilesAlone()
    {
        QFETCH(QByteArray, content);
        writeAll(file(), content);
        QVERIFY(!ShortcutConfig::saveShortcut("ImageProcess", "黑白", "T"));
        QCOMPARE(readAll(file()), content);
    }

    void saveWithoutAFileCreatesNone()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^open failed"));
        QVERIFY(!ShortcutConfig::saveShortcut("ImageProcess", "黑白", "T"));
        QVERIFY(!QFile::exists(file()));
    }
};

QTEST_GUILESS_MAIN(ShortcutConfigTest)
#include "test_shortcut_config.moc"
