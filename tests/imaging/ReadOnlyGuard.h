#pragma once

#include <QFile>
#include <QProcess>
#include <unistd.h>

// Makes a file or folder unwritable while in scope. Root ignores permission
// bits, so there the immutable attribute is used instead.
class ReadOnlyGuard
{
public:
    explicit ReadOnlyGuard(const QString& path) : m_path(path), m_perms(QFile::permissions(path))
    {
        if (!path.isEmpty())
            m_ok = geteuid() == 0 ? QProcess::execute("chattr", {"+i", path}) == 0
                                  : QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyGuard()
    {
        if (m_ok && geteuid() == 0)
            QProcess::execute("chattr", {"-i", m_path});
        if (m_ok)
            QFile::setPermissions(m_path, m_perms);
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    QFile::Permissions m_perms;
    bool m_ok = false;
};
