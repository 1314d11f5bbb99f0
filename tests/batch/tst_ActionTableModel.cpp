// Batch action list: rows from the registry, drag reordering and the
// settings button delegate.
#include "ActionTableModel.h"
#include "BatchActionList.h"
#include "ButtonDelegate.h"
#include "OperationDispatcher.h"
#include "OperationRegistry.h"

#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QSet>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>
#include <memory>

namespace {

QList<stActionData> rowsNamed(const QString& names)
{
    QList<stActionData> rows;
    for (const QChar name : names) {
        rows.append(stActionData());
        rows.last().actionName = name;
        rows.last().actionCmd = rows.size();
    }
    return rows;
}

QString namesOf(const QList<stActionData>& rows)
{
    QString names;
    for (const stActionData& row : rows)
        names += row.actionName;
    return names;
}

bool dropOnto(ActionTableModel& model, int row, int target)
{
    const std::unique_ptr<QMimeData> mime(model.mimeData({model.index(row, 1)}));
    return model.dropMimeData(mime.get(), Qt::MoveAction, -1, -1, model.index(target, 0));
}

} // namespace

class TestActionTableModel : public QObject
{
    Q_OBJECT

private slots:
    void freshListFromRegistry()
    {
        ActionTableModel model;
        model.setActions(BatchActionList::build());
        QCOMPARE(model.rowCount(), OperationRegistry::batchList().size());
        for (int row = 0; row < model.rowCount(); ++row) {
            QCOMPARE(model.index(row, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
            QCOMPARE(model.index(row, 2).data(ActionTableModel::kCmdRole).toInt(),
                     OperationRegistry::batchList().at(row));
        }
        QVERIFY(model.checkedActions().isEmpty());
        // Every operation can be dispatched, has a drawn icon, and no two share a label.
        QSet<QString> labels;
        for (const OperationInfo& info : OperationRegistry::all()) {
            QVERIFY2(OperationDispatcher::isKnown(info.id), qPrintable(info.name));
            QVERIFY2(QFile::exists(info.icon), qPrintable(info.icon));
            QVERIFY2(info.label.isEmpty() || !labels.contains(info.label), qPrintable(info.label));
            labels.insert(info.label);
        }
    }

    void reorder_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("expected");
        QTest::newRow("A onto C") << 0 << 2 << "BCAD";
        QTest::newRow("D onto B") << 3 << 1 << "ADBC";
        QTest::newRow("onto itself") << 2 << 2 << "ABCD";
    }

    void reorder()
    {
        QFETCH(int, start);
        QFETCH(int, target);
        ActionTableModel model;
        model.setActions(rowsNamed("ABCD"));
        QVERIFY(dropOnto(model, start, target));
        QTEST(namesOf(model.actions()), "expected");
    }

    void checkedOrderFollowsDrag()
    {
        ActionTableModel model;
        model.setActions(BatchActionList::build());
        model.toggleChecked(2);  // 向左旋转
        model.toggleChecked(0);  // 自动纠斜
        model.toggleChecked(70); // no such row: ignored
        QCOMPARE(namesOf(model.checkedActions()), QString("自动纠斜向左旋转"));
        QVERIFY(dropOnto(model, 2, 0));
        QCOMPARE(namesOf(model.checkedActions()), QString("向左旋转自动纠斜"));
    }

    void refusedDrops()
    {
        ActionTableModel model;
        model.setActions(rowsNamed("ABCD"));
        const std::unique_ptr<QMimeData> mime(model.mimeData({model.index(0, 1)}));
        // Below the last row the view passes the root as parent.
        QVERIFY(!model.dropMimeData(mime.get(), Qt::MoveAction, 4, 0, QModelIndex()));
        QVERIFY(!model.dropMimeData(mime.get(), Qt::CopyAction, -1, -1, model.index(2, 0)));
        QVERIFY(!model.dropMimeData(nullptr, Qt::MoveAction, -1, -1, model.index(2, 0)));
        QMimeData stale;
        stale.setData("row", "9");
        QVERIFY(!model.dropMimeData(&stale, Qt::MoveAction, -1, -1, model.index(2, 0)));
        QCOMPARE(namesOf(model.actions()), QString("ABCD"));
    }

    // Only a left click on the button itself opens the row's settings.
    void settingsButtonClicks()
    {
        ActionTableModel model;
        model.setActions(rowsNamed("AB"));
        ButtonDelegate delegate;
        QSignalSpy clicked(&delegate, &ButtonDelegate::buttonClicked);
        QStyleOptionViewItem option;
        option.rect = QRect(100, 30, 60, 30);
        const QModelIndex index = model.index(1, 2);
        auto release = [&](const QPoint& pos, Qt::MouseButton button) {
            QMouseEvent event(QEvent::MouseButtonRelease, pos, button, button, Qt::NoModifier);
            delegate.editorEvent(&event, &model, option, index);
        };
        release(option.rect.center(), Qt::LeftButton);
        release(option.rect.center(), Qt::RightButton);
        release(option.rect.topLeft(), Qt::LeftButton); // in the cell, outside the button
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).value<QModelIndex>(), index);
    }
};

QTEST_MAIN(TestActionTableModel)
#include "tst_ActionTableModel.moc"
