#pragma once

#include <QObject>

class QActionGroup;
class QMenu;

// The "保存设置" submenu: one checkable entry per save mode, exactly one checked.
class SaveModeMenu : public QObject
{
    Q_OBJECT
public:
    // Fills menu with the three entries and checks the one of mode (any value
    // other than 1 and 3 counts as 2, as the current image treats it).
    SaveModeMenu(QMenu* menu, int mode);

    static int normalised(int mode);
    int checkedMode() const;

signals:
    // The operator picked an entry.
    void modeChosen(int mode);

private:
    QActionGroup* group_;
};
