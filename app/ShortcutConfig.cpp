#include "ShortcutConfig.h"

#include "AppPaths.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString kRoot = QStringLiteral("shortcut");
const QString kAction = QStringLiteral("action");
const QString kKey = QStringLiteral("key");
const QString kDefaultFile = QStringLiteral(":/config/shortcut.json");

enum class ReadResult
{
    Ok,
    Unreadable,
    Malformed
};

QString& setAsideFile()
{
    static QString path;
    return path;
}

void warnOpenFailed(const QFileDevice& file)
{
    qWarning().noquote() << "open failed" << file.fileName() << file.errorString();
}

ReadResult readInto(const QString& path, QMap<QString, QString>& table)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        warnOpenFailed(file);
        return ReadResult::Unreadable;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    const QJsonValue group = doc.object().value(kRoot).toObject().value(ShortcutConfig::kGroup);
    if (error.error != QJsonParseError::NoError || !group.isArray())
        return ReadResult::Malformed;
    for (const QJsonValue& element : group.toArray()) {
        const QJsonObject binding = element.toObject();
        const QJsonValue action = binding.value(kAction);
        if (action.isString())
            table[action.toString()] = binding.value(kKey).toString();
    }
    return ReadResult::Ok;
}

// A name beside the file that no earlier bad file holds.
QString asideName(const QString& path)
{
    const QString base = path + QStringLiteral(".bad-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        warnOpenFailed(file);
        return false;
    }
    file.write(bytes);
    if (!file.commit()) {
        qWarning().noquote() << "write failed" << path << file.errorString();
        return false;
    }
    return true;
}

} // namespace

const QString ShortcutConfig::kGroup = QStringLiteral("ImageProcess");

QMap<QString, QString>& ShortcutConfig::table()
{
    static QMap<QString, QString> shortcuts;
    return shortcuts;
}

QString ShortcutConfig::takeSetAsideFile()
{
    QString path;
    path.swap(setAsideFile());
    return path;
}

bool ShortcutConfig::parseShortcutFile()
{
    return readInto(AppPaths::shortcutFile(), table()) == ReadResult::Ok;
}

void ShortcutConfig::loadShortcutConfig()
{
    table().clear();
    setAsideFile().clear();
    const QString path = AppPaths::shortcutFile();
    if (QFileInfo::exists(path)) {
        QMap<QString, QString> read;
        const ReadResult result = readInto(path, read);
        if (result == ReadResult::Ok) {
            table() = read;
            return;
        }
        qWarning().noquote() << "快捷键配置文件读取失败";
        // An unreadable file may be fine once its rights are; only a file that
        // is not a shortcut file is replaced.
        if (result == ReadResult::Unreadable)
            return;
        const QString aside = asideName(path);
        if (!QFile::rename(path, aside)) {
            qWarning().noquote() << "cannot keep aside" << path;
            return;
        }
        qWarning().noquote() << "快捷键配置文件已损坏，已另存为" << aside;
        setAsideFile() = aside;
    }

    QFile defaults(kDefaultFile);
    if (!defaults.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning().noquote() << "open failed" << kDefaultFile;
        return;
    }
    const QByteArray bytes = defaults.readAll();
    defaults.close();
    if (writeWhole(path, bytes))
        parseShortcutFile();
}

bool ShortcutConfig::saveShortcut(const QString& group, const QString& action, const QString& key)
{
    const QString path = AppPaths::shortcutFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        warnOpenFailed(file);
        return false;
    }
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonObject shortcuts = root.value(kRoot).toObject();
    if (!shortcuts.value(group).isArray())
        return false;

    // Every element of the action: the load takes the last, so changing only
    // the first would lose the edit at the next start.
    QJsonArray bindings = shortcuts.value(group).toArray();
    bool found = false;
    for (int i = 0; i < bindings.size(); ++i) {
        QJsonObject binding = bindings.at(i).toObject();
        if (binding.value(kAction).toString() != action)
            continue;
        binding.insert(kKey, key);
        bindings.replace(i, binding);
        found = true;
        qInfo().noquote() << "update shortcutkey" << action << key;
    }
    if (!found)
        bindings.append(QJsonObject{{kAction, action}, {kKey, key}});
    shortcuts.insert(group, bindings);
    root.insert(kRoot, shortcuts);
    if (!writeWhole(path, QJsonDocument(root).toJson(QJsonDocument::Indented)))
        return false;
    if (group == kGroup)
        table()[action] = key;
    return true;
}
