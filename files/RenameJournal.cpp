#include "RenameJournal.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const char* const kPartialSuffix = ".tmp";

QJsonDocument encode(RenameJournal::Phase phase, const QVector<RenameStep>& steps)
{
    // JSON keeps any character of a path (spaces, tabs, Chinese) without escaping rules of our own.
    QJsonArray list;
    for (const RenameStep& step : steps)
        list.append(QJsonArray{step.from, step.temp, step.to});
    return QJsonDocument(QJsonObject{{"phase", int(phase)}, {"steps", list}});
}

// Makes the new directory entry itself survive a power cut, not only the data.
void syncFolder(const QString& filePath)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(QFileInfo(filePath).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(filePath);
#endif
}

qint64 pidAfterPrefix(const QString& fileName, const QString& suffix)
{
    static const QRegularExpression digits("^[0-9]{1,18}$");
    if (!fileName.startsWith(RenameJournal::prefix()) || !fileName.endsWith(suffix))
        return -1;
    const QString number =
        fileName.mid(RenameJournal::prefix().size(),
                     fileName.size() - RenameJournal::prefix().size() - suffix.size());
    return digits.match(number).hasMatch() ? number.toLongLong() : -1;
}

} // namespace

RenameJournal::RenameJournal(const QString& path) : m_path(path) {}

QString RenameJournal::prefix()
{
    return QStringLiteral(".tarvo-journal-");
}

QString RenameJournal::fileName(qint64 pid)
{
    return prefix() + QString::number(pid);
}

qint64 RenameJournal::pidOf(const QString& fileName)
{
    return pidAfterPrefix(fileName, QString());
}

qint64 RenameJournal::pidOfPartial(const QString& fileName)
{
    return pidAfterPrefix(fileName, kPartialSuffix);
}

bool RenameJournal::write(Phase phase, const QVector<RenameStep>& steps) const
{
    const QString partial = m_path + kPartialSuffix;
    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning().noquote() << "rename journal cannot be written" << partial << file.errorString();
        return false;
    }
    const QByteArray bytes = encode(phase, steps).toJson(QJsonDocument::Compact) + '\n';
    bool ok = file.write(bytes) == bytes.size() && file.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    file.close();
    // Replacing the old record is the point here, so a plain rename.
    ok = ok && std::rename(QFile::encodeName(partial).constData(),
                           QFile::encodeName(m_path).constData()) == 0;
    if (!ok) {
        qWarning().noquote() << "rename journal cannot be written" << m_path;
        QFile::remove(partial);
        return false;
    }
    syncFolder(m_path);
    return true;
}

bool RenameJournal::read(Phase* phase, QVector<RenameStep>* steps) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const int number = document.object().value("phase").toInt();
    const QJsonValue list = document.object().value("steps");
    if ((number != ToTemporary && number != ToTarget) || !list.isArray())
        return false;
    QVector<RenameStep> result;
    for (const QJsonValue& value : list.toArray()) {
        const QJsonArray entry = value.toArray();
        if (entry.size() != 3)
            return false;
        RenameStep step{entry[0].toString(), entry[1].toString(), entry[2].toString()};
        if (step.from.isEmpty() || step.temp.isEmpty() || step.to.isEmpty())
            return false;
        result.append(step);
    }
    *phase = Phase(number);
    *steps = result;
    return true;
}

bool RenameJournal::remove() const
{
    if (!QFile::remove(m_path)) {
        qWarning().noquote() << "rename journal cannot be removed" << m_path;
        return false;
    }
    syncFolder(m_path);
    return true;
}
