#pragma once

#include "FileTableModel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

// Every entry under root, hidden ones included, by relative path: file contents,
// "<dir>" for folders and "<link>" + target for symbolic links.
inline QMap<QString, QByteArray> folderSnapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray value = "<dir>";
        if (info.isSymLink()) {
            value = "<link>" + info.symLinkTarget().toUtf8();
        } else if (info.isFile()) {
            QFile file(path);
            value = file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
        }
        entries.insert(QDir(root).relativeFilePath(path), value);
    }
    return entries;
}

// A temporary folder of small files, each holding its own name so moved
// contents can be traced, with the file list loaded from it.
struct TestFolder
{
    QTemporaryDir dir;
    FileTableModel model;

    explicit TestFolder(const QStringList& names = {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
    {
        for (const QString& name : names)
            write(name, name.toUtf8());
        model.loadDir(dir.path());
    }
    QString path(const QString& name = QString()) const
    {
        return name.isEmpty() ? dir.path() : dir.filePath(name);
    }
    void write(const QString& name, const QByteArray& content) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
    QMap<QString, QByteArray> snapshot() const { return folderSnapshot(path()); }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Contents of a.jpg .. d.jpg, then the number of files in the folder.
    QStringList contents() const
    {
        QStringList result;
        for (const QString& name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            result << QString::fromUtf8(read(name));
        return result << QString::number(QDir(path()).entryList(QDir::Files).size());
    }
};
