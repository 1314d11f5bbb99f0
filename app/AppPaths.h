#pragma once

#include <QString>

// Where the program keeps its own files. Both folders are the executable's
// folder when that is writable (a portable install), otherwise the per-user
// configuration and data locations. Safe to call from any thread.
class AppPaths
{
public:
    // settings.ini and shortcut.json live here.
    static QString configDir();
    // The log folder and the demo archive live here.
    static QString dataDir();

    static QString settingsFile();
    static QString shortcutFile();
    static QString logDir();

    // Points both folders at dir; an empty dir returns to the normal choice.
    static void setBaseDirForTesting(const QString& dir);
};
