#pragma once

#include "CheckableRowsModel.h"
#include "stFolderModelInfo.h"

#include <QList>
#include <QStringList>

// The sub-folders of one directory (the case-file folders a split fills), one
// row each, all checked when loaded. The owning dialog toggles the checks.
class FolderTableModel : public CheckableRowsModel<stFolderModelInfo>
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

private:
    QStringList m_headers;
    QString m_dirPath;
};
