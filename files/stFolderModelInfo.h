#pragma once

#include <QString>

// One row of the case-file folder list: a sub-folder of the loaded directory.
struct stFolderModelInfo
{
    QString folderName;
    bool checked = true;
};
