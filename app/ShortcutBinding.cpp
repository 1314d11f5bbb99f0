#include "ShortcutBinding.h"

#include <QAbstractButton>
#include <QAction>
#include <QVariant>

namespace {

QAction* asAction(const QObject* entry)
{
    if (entry->property("actionType").toString() != QLatin1String("QAction"))
        return nullptr;
    return qobject_cast<QAction*>(const_cast<QObject*>(entry));
}

QAbstractButton* asButton(const QObject* entry)
{
    const QString type = entry->property("actionType").toString();
    if (type != QLatin1String("QPushButton") && type != QLatin1String("QToolButton"))
        return nullptr;
    return qobject_cast<QAbstractButton*>(const_cast<QObject*>(entry));
}

} // namespace

bool ShortcutBinding::bind(QObject* entry, const QKeySequence& key)
{
    if (QAction* action = asAction(entry)) {
        action->setShortcut(key);
        return true;
    }
    if (QAbstractButton* button = asButton(entry)) {
        button->setShortcut(key);
        return true;
    }
    return false;
}

QKeySequence ShortcutBinding::keyOf(const QObject* entry)
{
    if (const QAction* action = asAction(entry))
        return action->shortcut();
    if (const QAbstractButton* button = asButton(entry))
        return button->shortcut();
    return QKeySequence();
}

QObject* ShortcutBinding::holderOf(const QList<QObject*>& entries, const QKeySequence& key,
                                   const QObject* except)
{
    if (key.isEmpty())
        return nullptr;
    for (QObject* entry : entries) {
        if (entry != except && keyOf(entry) == key)
            return entry;
    }
    return nullptr;
}

bool ShortcutBinding::canFire(const QObject* entry)
{
    const QAction* action = asAction(entry);
    return !action || !action->associatedWidgets().isEmpty();
}
