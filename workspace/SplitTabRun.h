#pragma once

#include "SplitMover.h"
#include "SplitPlan.h"
#include "SplitRow.h"

#include <QObject>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QWidget;

// The split tab's run: reads the item list by the tab's column numbers, plans
// the moves, asks the operator to confirm them and moves the pages of the
// folder selected in the tree into item folders. Keeps the last split so
// "撤销分件" can move it back.
class SplitTabRun : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QWidget* window = nullptr; // parent of every box
        QLineEdit* path = nullptr;
        QComboBox* sheet = nullptr;
        QSpinBox* archiveNo = nullptr;
        QSpinBox* pageNo = nullptr;
        QSpinBox* pageCount = nullptr;
        QSpinBox* startRow = nullptr;
        QCheckBox* rename = nullptr;
        QAbstractButton* undo = nullptr; // enabled while a split can be moved back
    };
    struct Hooks
    {
        std::function<QString()> folder;      // the folder selected in the tree, "" when none
        std::function<QStringList()> sources; // full paths of the file list, in list order
        std::function<void()> closePage;      // writes and closes the open page
        std::function<void()> reload;         // lists the folder anew
    };

    SplitTabRun(const Widgets& widgets, const Hooks& hooks, QObject* parent = nullptr);

    void run(SplitMode mode);
    void undo();

private:
    // The data rows from the start row on; false (and *why) when the list cannot be read.
    bool readRows(QVector<SplitRow>* rows, QString* why) const;
    SplitResult move(const SplitPlan& plan);

    Widgets m_w;
    Hooks m_hooks;
    SplitMover m_mover;
};
