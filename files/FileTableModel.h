#pragma once

#include "CheckableRowsModel.h"
#include "FileMover.h"
#include "PageTrash.h"
#include "stFileModelInfo.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

// The image files of one folder, one row each, with a check mark per row.
// Dragging a row onto another renames the files on disk so that the dragged
// file takes the target's place (see FileMover). Listing a folder first mends a
// rename change that a crash cut short there (see RenameTransaction).
class FileTableModel : public CheckableRowsModel<stFileModelInfo>
{
    Q_OBJECT
public:
    // Asks the operator a yes/no question; true means go on.
    using ConfirmHandler = std::function<bool(const QString& title, const QString& text)>;
    // Tells the operator about a failure (the window shows it as a red toast).
    using ErrorNotifier = std::function<void(const QString& text)>;

    explicit FileTableModel(QObject* parent = nullptr);

    // "*." + every format the image reader supports, plus BMP, JPEG, PNG and TIFF.
    static QStringList imageNameFilters();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void loadDir(const QString& dirPath);
    void clear();
    stFileModelInfo fileInfo(int row) const;
    void setFileInfo(int row, const stFileModelInfo& info);
    QStringList filePaths() const;
    QList<stFileModelInfo> checkedFiles() const;

    void setChecked(const QList<int>& rows, bool checked);

    // Moves the checked files to the desktop trash and drops their rows; the
    // rows of files that could not go stay. False when any stayed.
    bool removeChecked();
    // The same for one row's file.
    bool removeFile(int row);
    // What the last removeChecked or removeFile did, for undoing it.
    const PageTrash::Result& lastRemoval() const { return m_lastRemoval; }
    // Largest running number over the file names, 0 when none.
    int maxTrailingNumber() const;
    // Moves the content of the file at from to the name at to (see FileMover).
    bool moveFile(int from, int to);

    // Renames made outside the list (scanned pages placed into dir) announced
    // like a drop's: namesAboutToChange(affected), then change() runs and
    // returns old -> new full paths, dir is listed anew and namesChanged follows.
    void applyExternalChange(const QString& dir, const QStringList& affected,
                             const std::function<QHash<QString, QString>()>& change);

    void setConfirmHandler(ConfirmHandler handler);
    void setErrorNotifier(ErrorNotifier notifier);
    // Asked when a file cannot go to the trash; without it such files stay.
    void setAskPermanent(PageTrash::AskPermanent ask);
    void setTagSource(FileMover::TagSource source);

signals:
    // Before a drop renames files: the full paths about to change, so that an
    // unsaved edit can still be written to its own file.
    void namesAboutToChange(const QStringList& paths);
    // After a drop renamed files and the list was reloaded: old -> new full path.
    void namesChanged(const QHash<QString, QString>& oldToNew);

private:
    bool confirm(const QString& title, const QString& text) const;
    bool move(int from, int to, QHash<QString, QString>* renamed);
    bool removeRows(const QList<int>& rows);

    QStringList m_headers;
    ConfirmHandler m_confirm;
    ErrorNotifier m_notifyError;
    FileMover::TagSource m_tagSource;
    PageTrash::AskPermanent m_askPermanent;
    PageTrash::Result m_lastRemoval;
};
