#pragma once

#include <QModelIndex>

class FileTableModel;
class QFileSystemModel;
class QTableView;
class QTreeView;

// The fixed look of the folder tree and the file list views.
namespace FilePanelSetup {

// Name column only, no header; rootIndex (when valid) becomes the tree's root.
// The column follows its contents as folders expand and collapse.
void setUpFolderView(QTreeView* view, QFileSystemModel* model, const QModelIndex& rootIndex);

// 1-based row numbers in a 25-pixel vertical header, single whole-row selection,
// drag and drop for reordering, columns 40, 180 and 80 wide, custom context menu.
void setUpFileView(QTableView* view, FileTableModel* model);

} // namespace FilePanelSetup
