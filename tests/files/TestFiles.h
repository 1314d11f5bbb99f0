#pragma once

#include "FileTableModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
