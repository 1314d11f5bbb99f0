#include "FolderTableModel.h"

#include "DirListing.h"

#include <algorithm>

FolderTableModel::FolderTableModel(QObject* parent)
    : CheckableRowsModel(parent), m_headers{"", "案卷目录"}
{
}

int FolderTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int FolderTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_headers.size();
}

QVariant FolderTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !validRow(index.row()))
        return {};
    const stFolderModelInfo& info = m_rows.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (index.column() == 0)
            return QString();
        if (index.column() == 1)
            return info.folderName;
        return {};
    }
    if (role == Qt::CheckStateRole && index.column() == 0)
        return info.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant FolderTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < m_headers.size() ? m_headers.at(section) : QVariant();
}

void FolderTableModel::loadDir(const QString& dirPath)
{
    beginResetModel();
    m_dirPath = dirPath;
    m_rows.clear();
    const QFileInfoList entries =
        DirListing::sortedEntries(dirPath, {}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries)
        m_rows.append({entry.fileName(), true});
    endResetModel();
}

stFolderModelInfo FolderTableModel::folderInfo(int row) const
{
    return validRow(row) ? m_rows.at(row) : stFolderModelInfo{QString(), false};
}

QList<stFolderModelInfo> FolderTableModel::checkedFolders() const
{
    return checkedRows();
}
