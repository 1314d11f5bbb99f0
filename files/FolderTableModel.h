#pragma once

#include "stFolderModelInfo.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// The sub-folders of one directory (the case-file folders a split fills), one
// row each, all checked when loaded. The owning dialog toggles the checks.
class FolderTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit FolderTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Replaces the rows by the sub-folders of dirPath (no hidden ones).
    void loadDir(const QString& dirPath);
    QString dirPath() const { return m_dirPath; }
    stFolderModelInfo folderInfo(int row) const;
    QList<stFolderModelInfo> checkedFolders() const;

    void checkAll();
    void uncheckAll();
    void toggleCheck(int row);

private:
    bool validRow(int row) const { return row >= 0 && row < m_rows.size(); }
    void notifyCheckChanged(int firstRow, int lastRow);

    QStringList m_headers;
    QList<stFolderModelInfo> m_rows;
    QString m_dirPath;
};
