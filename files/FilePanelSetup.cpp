#include "FilePanelSetup.h"

#include "FileTableModel.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>

namespace FilePanelSetup {

void setUpFolderView(QTreeView* view, QFileSystemModel* model, const QModelIndex& rootIndex)
{
    view->setModel(model);
    for (int column = 1; column <= 3; ++column)
        view->setColumnHidden(column, true);
    view->setHeaderHidden(true);
    if (rootIndex.isValid())
        view->setRootIndex(rootIndex);
    auto fitColumn = [view] { view->resizeColumnToContents(0); };
    QObject::connect(view, &QTreeView::expanded, view, fitColumn);
    QObject::connect(view, &QTreeView::collapsed, view, fitColumn);
}

void setUpFileView(QTableView* view, FileTableModel* model)
{
    view->setModel(model);
    view->verticalHeader()->setFixedWidth(25);
    view->verticalHeader()->setVisible(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->horizontalHeader()->setDefaultSectionSize(view->width() / 2 - 10);
    view->setColumnWidth(0, 40);
    view->setColumnWidth(1, 180);
    view->setColumnWidth(2, 80);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
}

} // namespace FilePanelSetup
