#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The items of a data directory: each sub-folder (by name) with the names of
// its page images, both sorted by name.
namespace FolderImages {

// "*.jpg", "*.jpeg", "*.png", "*.tif", "*.tiff", "*.bmp" (any letter case).
const QStringList& patterns();

// Empty for an empty or missing root. Hidden entries (our temporary files) are left out.
QMap<QString, QStringList> load(const QString& root);

} // namespace FolderImages
