// Batch action list: rows from the registry, model roles and flags, drag
// reordering and the settings button delegate.
#include "ActionTableModel.h"
#include "BatchActionList.h"
#include "ButtonDelegate.h"
#include "OperationDispatcher.h"
#include "OperationRegistry.h"

#include <QAction>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QSet>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {

QList<stActionData> rowsNamed(const QString& names)
{
    QList<stActionData> rows;
    int cmd = 1;
    for (const QChar name : names) {
        stActionData row;
        row.actionName = name;
        row.actionCmd = cmd++;
        rows.append(row);
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

std::unique_ptr<QMimeData> dragOf(ActionTableModel& model, int row)
{
    return std::unique_ptr<QMimeData>(model.mimeData({model.index(row, 1)}));
}

} // namespace

class TestActionTableModel : public QObject
{
    Q_OBJECT

private slots:
    void freshListFromRegistry();
    void rowsFindTheirToolbarEntries();
    void rolesAndFlags();
    void reorder_data();
    void reorder();
    void checkedOrderFollowsDrag();
    void refusedDrops();
    void settingsButtonClicks();
};

void TestActionTableModel::freshListFromRegistry()
{
    ActionTableModel model;
    model.setActions(BatchActionList::build());
    const QStringList expected = {"自动纠斜", "区域清除", "向左旋转", "向右旋转", "旋转180°",
                                  "水平翻转", "垂直翻转", "内容变浅", "内容加深", "红章加深",
                                  "图像调整", "底色修改", "签注页码", "幅面调整", "DPI调整"};
    QCOMPARE(model.rowCount(), expected.size());
    for (int row = 0; row < expected.size(); ++row) {
        QCOMPARE(model.index(row, 1).data().toString(), expected[row]);
        QCOMPARE(model.index(row, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        // The same identifiers, in the same order, as the dispatcher's batch list.
        QCOMPARE(model.index(row, 2).data(ActionTableModel::kCmdRole).toInt(),
                 OperationRegistry::batchList().at(row));
    }
    QVERIFY(model.checkedActions().isEmpty());
    QCOMPARE(OperationRegistry::byLabel("区域清除")->id, int(IMG_OPT_AREA_CLEAR));
    QCOMPARE(OperationRegistry::byLabel("批量添加页码")->id, int(IMG_OPT_PAGENO_BATCH));
    QCOMPARE(OperationRegistry::byLabel("IMG_OPT_DPI")->id, int(IMG_OPT_DPI));
    QVERIFY(!OperationRegistry::byLabel(""));
    // Every operation can be dispatched, has a drawn icon, and no two share a label.
    QSet<QString> labels;
    for (const OperationInfo& info : OperationRegistry::all()) {
        QVERIFY2(OperationDispatcher::isKnown(info.id), qPrintable(info.name));
        QVERIFY2(QFile::exists(info.icon), qPrintable(info.icon));
        QVERIFY2(info.label.isEmpty() || !labels.contains(info.label), qPrintable(info.label));
        labels.insert(info.label);
    }
    QVERIFY(!OperationRegistry::byId(CMD_NEXT_PAGE));
}

void TestActionTableModel::rowsFindTheirToolbarEntries()
{
    QObject window;
    QAction rotate("向左旋转");
    rotate.setProperty("actionType", "QAction");
    rotate.setProperty("actionCmd", int(IMG_OPT_ROTATE_LEFT));
    QObject stray; // no actionCmd: must not match identifier 0 or anything else

    const QList<stActionData> rows = BatchActionList::build({&stray, &rotate}, &window);
    QCOMPARE(rows.at(2).source.data(), &rotate);
    QCOMPARE(rows.at(2).actionType, QString("QAction"));
    QVERIFY(!rows.at(0).source);

    // 203 has no toolbar entry: a hidden action carries its properties, once.
    QAction* hidden = BatchActionList::areaClearAction(&window);
    QCOMPARE(rows.at(1).source.data(), hidden);
    QVERIFY(!hidden->isVisible());
    QCOMPARE(hidden->property("actionName").toString(), QString("区域清除"));
    QCOMPARE(hidden->property("actionCmd").toInt(), int(IMG_OPT_AREA_CLEAR));
    QCOMPARE(hidden->property("actionType").toString(), QString("QAction"));
    QCOMPARE(BatchActionList::build({}, &window).at(1).source.data(), hidden);
}

void TestActionTableModel::rolesAndFlags()
{
    ActionTableModel model;
    QList<stActionData> rows = rowsNamed("AB");
    rows[1].checked = 1;
    model.setActions(rows);

    QCOMPARE(int(model.flags(model.index(0, 0))), 61);
    QCOMPARE(int(model.flags(model.index(0, 1))), 45);
    QCOMPARE(int(model.flags(model.index(0, 2))), 45);
    QCOMPARE(model.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(model.index(1, 0).data().toString(), QString(""));
    QCOMPARE(model.index(1, 2).data(257).toInt(), 2);
    QCOMPARE(model.index(1, 2).data(Qt::CheckStateRole).toInt(), 2);
    QVERIFY(!model.index(1, 1).data(Qt::CheckStateRole).isValid());
    QVERIFY(!model.index(1, 2).data().isValid());
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("function"));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), 129);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    QCOMPARE(model.columnCount(model.index(0, 0)), 0);
    QCOMPARE(model.supportedDropActions(), Qt::MoveAction);

    const auto mime = dragOf(model, 1);
    QCOMPARE(mime->data("row"), QByteArray("1"));
    QCOMPARE(mime->data("col"), QByteArray("1"));

    model.toggleChecked(1);
    model.toggleChecked(0);
    model.toggleChecked(7); // no such row: ignored
    QCOMPARE(namesOf(model.checkedActions()), QString("A"));
}

void TestActionTableModel::reorder_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("expected");
    QTest::newRow("A onto C") << 0 << 2 << "BCAD";
    QTest::newRow("D onto B") << 3 << 1 << "ADBC";
    QTest::newRow("onto itself") << 2 << 2 << "ABCD";
    QTest::newRow("B onto last") << 1 << 3 << "ACDB";
}

void TestActionTableModel::reorder()
{
    QFETCH(int, start);
    QFETCH(int, target);
    QFETCH(QString, expected);
    ActionTableModel model;
    model.setActions(rowsNamed("ABCD"));
    const auto mime = dragOf(model, start);
    QVERIFY(model.dropMimeData(mime.get(), Qt::MoveAction, -1, -1, model.index(target, 0)));
    QCOMPARE(namesOf(model.actions()), expected);
}

void TestActionTableModel::checkedOrderFollowsDrag()
{
    ActionTableModel model;
    model.setActions(BatchActionList::build());
    model.toggleChecked(2); // 向左旋转
    model.toggleChecked(0); // 自动纠斜
    QCOMPARE(namesOf(model.checkedActions()), QString("自动纠斜向左旋转"));
    const auto mime = dragOf(model, 2);
    QVERIFY(model.dropMimeData(mime.get(), Qt::MoveAction, -1, -1, model.index(0, 1)));
    QCOMPARE(namesOf(model.checkedActions()), QString("向左旋转自动纠斜"));
}

void TestActionTableModel::refusedDrops()
{
    ActionTableModel model;
    model.setActions(rowsNamed("ABCD"));
    const auto mime = dragOf(model, 0);
    // Below the last row the view passes the root as parent.
    QVERIFY(!model.dropMimeData(mime.get(), Qt::MoveAction, 4, 0, QModelIndex()));
    QVERIFY(!model.dropMimeData(mime.get(), Qt::CopyAction, -1, -1, model.index(2, 0)));
    QVERIFY(!model.dropMimeData(nullptr, Qt::MoveAction, -1, -1, model.index(2, 0)));
    QMimeData foreign;
    foreign.setText("A");
    QVERIFY(!model.dropMimeData(&foreign, Qt::MoveAction, -1, -1, model.index(2, 0)));
    QMimeData stale;
    stale.setData("row", "9");
    QVERIFY(!model.dropMimeData(&stale, Qt::MoveAction, -1, -1, model.index(2, 0)));
    QCOMPARE(namesOf(model.actions()), QString("ABCD"));
}

void TestActionTableModel::settingsButtonClicks()
{
    ActionTableModel model;
    model.setActions(rowsNamed("AB"));
    ButtonDelegate delegate;
    QSignalSpy clicked(&delegate, &ButtonDelegate::buttonClicked);
    QStyleOptionViewItem option;
    option.rect = QRect(100, 30, 60, 30);
    const QPoint centre = option.rect.center();
    const QModelIndex index = model.index(1, 2);

    auto release = [&](const QPoint& pos, Qt::MouseButton button) {
        QMouseEvent event(QEvent::MouseButtonRelease, pos, button, button, Qt::NoModifier);
        return delegate.editorEvent(&event, &model, option, index);
    };
    QVERIFY(release(centre, Qt::LeftButton));
    release(centre, Qt::RightButton);
    release(option.rect.topLeft(), Qt::LeftButton); // in the cell, outside the button
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<QModelIndex>(), index);
    QCOMPARE(ButtonDelegate::buttonRect(option.rect).size(), QSize(20, 20));

    QTableView view;
    BatchActionList::setUpView(&view, &model, &delegate);
    QCOMPARE(view.itemDelegateForColumn(2), &delegate);
    QCOMPARE(view.dragDropMode(), QAbstractItemView::InternalMove);
    QCOMPARE(view.columnWidth(1), 150);
}

QTEST_MAIN(TestActionTableModel)
#include "tst_ActionTableModel.moc"
