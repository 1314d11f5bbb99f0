#pragma once

#include <QMetaType>
#include <QString>

// One row of the file list: an image file of the current folder.
struct stFileModelInfo
{
    QString fileName; // name with extension, as the directory listing gives it
    QString dirPath;  // holding directory, without a trailing separator
    QString fileSize; // whole kibibytes followed by "kb"
    bool checked = false;

    // Empty for the empty record, so an out-of-range row never names the root folder.
    QString fullPath() const { return fileName.isEmpty() ? QString() : dirPath + "/" + fileName; }
};

Q_DECLARE_METATYPE(stFileModelInfo)
