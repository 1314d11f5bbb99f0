#include "SaveModeMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

SaveModeMenu::SaveModeMenu(QMenu* menu, int mode) : QObject(menu), group_(new QActionGroup(this))
{
    const struct
    {
        int mode;
        const char* text;
    } entries[] = {{1, "全自动保存"}, {2, "翻页自动保存"}, {3, "手动保存"}};
    group_->setExclusive(true);
    for (const auto& entry : entries) {
        QAction* action = menu->addAction(QString::fromUtf8(entry.text));
        action->setCheckable(true);
        action->setData(entry.mode);
        action->setChecked(entry.mode == normalised(mode));
        group_->addAction(action);
    }
    connect(group_, &QActionGroup::triggered, this,
            [this](QAction* action) { emit modeChosen(action->data().toInt()); });
}

int SaveModeMenu::normalised(int mode)
{
    return mode == 1 || mode == 3 ? mode : 2;
}

int SaveModeMenu::checkedMode() const
{
    QAction* checked = group_->checkedAction();
    return checked ? checked->data().toInt() : 0;
}
