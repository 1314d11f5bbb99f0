#pragma once

#include <QKeySequence>
#include <QList>

class QObject;

// The one place that gives a registered entry (a widget or action carrying
// "actionType" and "actionName") its key, for the toolbar, the scan buttons
// and the shortcut panel alike. "QAction" entries take it as an action,
// "QPushButton" and "QToolButton" entries as a button; other types take none.
class ShortcutBinding
{
public:
    // False when the entry's type takes no key (nothing changed then).
    static bool bind(QObject* entry, const QKeySequence& key);
    // The entry's key; empty for a type that takes none.
    static QKeySequence keyOf(const QObject* entry);
    // The entry of entries other than except that holds key; null when none
    // does or key is empty. Two entries on one key make Qt fire neither.
    static QObject* holderOf(const QList<QObject*>& entries, const QKeySequence& key,
                             const QObject* except = nullptr);
    // False for an action in no widget (one only the batch list runs): a key
    // on it could never fire.
    static bool canFire(const QObject* entry);
};
