#include "DirListing.h"

#include <algorithm>

namespace DirListing {

QFileInfoList sortedEntries(const QString& dirPath, const QStringList& nameFilters,
                            QDir::Filters filters)
{
    if (dirPath.isEmpty())
        return {};
    QFileInfoList entries = QDir(dirPath).entryInfoList(nameFilters, filters, QDir::Unsorted);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const int folded = a.fileName().compare(b.fileName(), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.fileName() < b.fileName();
    });
    return entries;
}

} // namespace DirListing
