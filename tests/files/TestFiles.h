#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <unistd.h>

// Small file helpers shared by the file-management tests.
namespace TestFiles {

inline void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

// Each file holds its own name, so moved contents can be traced.
inline void writeNamed(const QString& dir, const QStringList& names)
{
    for (const QString& name : names)
        write(dir + "/" + name, name.toUtf8());
}

inline QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Root ignores permission bits, so permission cases cannot fail for it.
inline bool runningAsRoot()
{
    return geteuid() == 0;
}

} // namespace TestFiles
