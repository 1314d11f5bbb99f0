#include "UnbuiltFeatures.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace UnbuiltFeatures {
namespace {

const char* const kActions[] = {nullptr};

const char* const kButtons[] = {"btn_folder_rename", "btn_file_rename", "btn_file_replacename",
                                nullptr};

QString notYet()
{
    return QStringLiteral("尚未提供");
}

} // namespace

const char* const* actionNames()
{
    return kActions;
}

const char* const* buttonNames()
{
    return kButtons;
}

void disable(QWidget* window)
{
    for (const char* const* name = kActions; *name; ++name) {
        auto* action = window->findChild<QAction*>(QString::fromLatin1(*name));
        if (!action)
            continue;
        action->setEnabled(false);
        action->setToolTip(notYet());
        // Menus hide their entries' tooltips unless asked.
        for (QWidget* host : action->associatedWidgets()) {
            if (auto* menu = qobject_cast<QMenu*>(host))
                menu->setToolTipsVisible(true);
        }
    }
    for (const char* const* name = kButtons; *name; ++name) {
        if (auto* button = window->findChild<QAbstractButton*>(QString::fromLatin1(*name))) {
            button->setEnabled(false);
            button->setToolTip(notYet());
        }
    }
}

} // namespace UnbuiltFeatures
