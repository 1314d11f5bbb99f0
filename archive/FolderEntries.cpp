#include "FolderEntries.h"

#include <QFile>
#include <dirent.h>
#include <sys/stat.h>

namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Some file systems leave the type open; then the entry itself is asked.
bool isPlainFile(const QByteArray& folder, const dirent* entry)
{
    if (entry->d_type != DT_UNKNOWN)
        return entry->d_type == DT_REG;
    struct stat info;
    const QByteArray path = folder + '/' + entry->d_name;
    return ::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

template <typename Keep> QStringList read(const QString& folder, Keep keep)
{
    QStringList names;
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isDotOrDotDot(entry->d_name) && keep(encoded, entry))
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

} // namespace

QStringList FolderEntries::all(const QString& folder)
{
    return read(folder, [](const QByteArray&, const dirent*) { return true; });
}

QStringList FolderEntries::plainFiles(const QString& folder)
{
    return read(folder, [](const QByteArray& encoded, const dirent* entry) {
        return entry->d_name[0] != '.' && isPlainFile(encoded, entry);
    });
}
