#include "FolderImages.h"

#include <QDir>

namespace FolderImages {

const QStringList& patterns()
{
    static const QStringList list = {QStringLiteral("*.jpg"),  QStringLiteral("*.jpeg"),
                                     QStringLiteral("*.png"),  QStringLiteral("*.tif"),
                                     QStringLiteral("*.tiff"), QStringLiteral("*.bmp")};
    return list;
}

QMap<QString, QStringList> load(const QString& root)
{
    QMap<QString, QStringList> folders;
    if (root.isEmpty())
        return folders;
    const QDir dir(root);
    for (const QString& folder : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir sub(dir.filePath(folder));
        folders.insert(folder, sub.entryList(patterns(), QDir::Files, QDir::Name));
    }
    return folders;
}

} // namespace FolderImages
