#include "UnbuiltFeatures.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QTableView>

namespace UnbuiltFeatures {
namespace {

const char* const kActions[] = {nullptr};

// btn_folder_refresh is not here: it works.
const char* const kButtons[] = {"btn_folder_new",  "btn_folder_del", "btn_rootpath",
                                "btn_folder_open", "btn_file_del",   nullptr};

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
    // Prevent, not just no menu: with no menu the request would go up to the window.
    if (auto* files = window->findChild<QTableView*>(QStringLiteral("tb_file")))
        files->setContextMenuPolicy(Qt::PreventContextMenu);
}

} // namespace UnbuiltFeatures
