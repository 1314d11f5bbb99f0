#pragma once

#include <QMap>
#include <QString>

// The operator's keyboard shortcuts, kept in AppPaths::shortcutFile() as
//   {"shortcut": {"ImageProcess": [{"action": label, "key": portable text}, ...]}}
// and seeded from the compiled-in ":/config/shortcut.json" when missing. The
// table maps an entry's label to its key text; it belongs to the interface
// thread.
class ShortcutConfig
{
public:
    static const QString kGroup; // "ImageProcess", the only group there is

    // Start-up: seeds the file when missing and fills the table anew. A file
    // that is not a shortcut file is kept aside (takeSetAsideFile()) and the
    // default takes its place, so one bad edit cannot cost every shortcut.
    static void loadShortcutConfig();
    // Reads the file into the table; false when it cannot be read or is not
    // a shortcut file. A later element for the same action wins.
    static bool parseShortcutFile();
    // Writes one binding: every element of the action gets the key, or one is
    // appended. The file is replaced whole (temporary file renamed into
    // place) or not at all; false when nothing was written. A file without the
    // group is left alone.
    static bool saveShortcut(const QString& group, const QString& action, const QString& key);

    static QMap<QString, QString>& table();

    // Where the last load put a malformed file; "" when it put none. Cleared
    // by the call, so the operator hears of it once.
    static QString takeSetAsideFile();
};
