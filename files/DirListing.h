#pragma once

#include <QDir>
#include <QFileInfoList>
#include <QStringList>

namespace DirListing {

// The entries of dirPath that pass filters and nameFilters (empty: all), by name
// case-insensitive in plain character order (10.jpg before 9.jpg); names that
// differ only in case keep a fixed order between them. Empty when the folder
// cannot be listed.
QFileInfoList sortedEntries(const QString& dirPath, const QStringList& nameFilters,
                            QDir::Filters filters);

} // namespace DirListing
