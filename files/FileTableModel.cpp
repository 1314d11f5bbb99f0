#include "FileTableModel.h"

#include "DirListing.h"
#include "NameUtils.h"
#include "RenameTransaction.h"
#include "SafeWrite.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>
#include <QMimeData>
#include <algorithm>

namespace {

const char* const kRowKey = "row";
const char* const kColumnKey = "col";

// Readers other parts of the program decode through OpenCV and Magick++ even
// when Qt's plug-in for them is missing.
const char* const kRequiredFormats[] = {"bmp", "jpg", "jpeg", "png", "tif", "tiff"};

QStringList buildImageNameFilters()
{
    QStringList filters;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        filters << "*." + QString::fromLatin1(format).toLower();
    for (const char* format : kRequiredFormats) {
        const QString pattern = "*." + QString::fromLatin1(format);
        if (!filters.contains(pattern))
            filters << pattern;
    }
    return filters;
}

} // namespace

FileTableModel::FileTableModel(QObject* parent)
    : CheckableRowsModel(parent), m_headers{"", "文件名", "大小"}
{
    // For queued connections of namesChanged.
    qRegisterMetaType<QHash<QString, QString>>("QHash<QString,QString>");
}

QStringList FileTableModel::imageNameFilters()
{
    // The reader finds its plug-ins only once the application object exists.
    static QStringList cached;
    if (!cached.isEmpty())
        return cached;
    const QStringList filters = buildImageNameFilters();
    if (QCoreApplication::instance())
        cached = filters;
    return filters;
}

int FileTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int FileTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_headers.size();
}

QVariant FileTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !validRow(index.row()))
        return {};
    const stFileModelInfo& info = m_rows.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case 0:
            return QString();
        case 1:
            return info.fileName;
        case 2:
            return info.fileSize;
        default:
            return {};
        }
    }
    if (role == Qt::CheckStateRole && index.column() == 0)
        return info.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < m_headers.size() ? m_headers.at(section) : QVariant();
}

QMimeData* FileTableModel::mimeData(const QModelIndexList& indexes) const
{
    QMimeData* data = QAbstractTableModel::mimeData(indexes);
    if (data && !indexes.isEmpty()) {
        data->setData(kRowKey, QByteArray::number(indexes.first().row()));
        data->setData(kColumnKey, QByteArray::number(indexes.first().column()));
    }
    return data;
}

bool FileTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                  const QModelIndex& parent)
{
    // Only a drop onto a row: between rows there is no target name.
    if (!data || action != Qt::MoveAction || !parent.isValid())
        return false;
    bool ok = false;
    const int startRow = QString::fromLatin1(data->data(kRowKey)).toInt(&ok);
    const int targetRow = parent.row();
    if (!ok || !validRow(startRow) || !validRow(targetRow))
        return false;
    qDebug() << "startRow is :" << startRow << ", targetRow is :" << targetRow;
    if (startRow == targetRow)
        return false;

    const QString question = QStringLiteral("将%1移动到%2位置，是否确认")
                                 .arg(m_rows.at(startRow).fileName, m_rows.at(targetRow).fileName);
    if (!confirm(QStringLiteral("提示"), question))
        return false;
    const QString dir = m_rows.first().dirPath;
    QStringList affected;
    for (const auto& step : FileMover::plan(filePaths(), startRow, targetRow))
        affected << step.first;
    emit namesAboutToChange(affected);
    QHash<QString, QString> renamed;
    const bool moved = move(startRow, targetRow, &renamed);
    loadDir(dir);
    if (moved && !renamed.isEmpty())
        emit namesChanged(renamed);
    return true;
}

void FileTableModel::applyExternalChange(const QString& dir, const QStringList& affected,
                                         const std::function<QHash<QString, QString>()>& change)
{
    emit namesAboutToChange(affected);
    const QHash<QString, QString> renamed = change ? change() : QHash<QString, QString>();
    loadDir(dir);
    if (!renamed.isEmpty())
        emit namesChanged(renamed);
}

Qt::DropActions FileTableModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

Qt::ItemFlags FileTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return QAbstractTableModel::flags(index);
    Qt::ItemFlags result =
        Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled | Qt::ItemIsEnabled;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

void FileTableModel::loadDir(const QString& dirPath)
{
    // A change of names or a page write cut short by a crash is mended before
    // the folder is shown, so the list never shows half of it.
    RenameTransaction::recover(dirPath);
    SafeWrite::removeLeftovers(dirPath);
    beginResetModel();
    m_rows.clear();
    const QFileInfoList entries =
        DirListing::sortedEntries(dirPath, imageNameFilters(), QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        stFileModelInfo info;
        info.fileName = entry.fileName();
        info.dirPath = entry.absolutePath();
        info.fileSize = QString::number(entry.size() / 1024) + "kb";
        m_rows.append(info);
    }
    endResetModel();
}

void FileTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

stFileModelInfo FileTableModel::fileInfo(int row) const
{
    return validRow(row) ? m_rows.at(row) : stFileModelInfo();
}

void FileTableModel::setFileInfo(int row, const stFileModelInfo& info)
{
    if (!validRow(row))
        return;
    m_rows[row] = info;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QStringList FileTableModel::filePaths() const
{
    QStringList paths;
    for (const stFileModelInfo& info : m_rows)
        paths << info.fullPath();
    return paths;
}

QList<stFileModelInfo> FileTableModel::checkedFiles() const
{
    return checkedRows();
}

void FileTableModel::setChecked(const QList<int>& rows, bool checked)
{
    for (int row : rows) {
        if (!validRow(row))
            continue;
        m_rows[row].checked = checked;
        notifyCheckChanged(row, row);
    }
}

bool FileTableModel::removeChecked()
{
    QList<int> rows;
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows.at(row).checked)
            rows << row;
    }
    return removeRows(rows);
}

bool FileTableModel::removeFile(int row)
{
    return validRow(row) && removeRows({row});
}

bool FileTableModel::removeRows(const QList<int>& rows)
{
    QStringList paths;
    for (int row : rows)
        paths << m_rows.at(row).fullPath();
    // A file gone already is no failure; only its row is left to drop.
    QStringList present;
    for (const QString& path : paths) {
        if (QFileInfo::exists(path))
            present << path;
    }
    m_lastRemoval = PageTrash::remove(present, m_askPermanent);
    for (const QString& path : m_lastRemoval.failed)
        qWarning().noquote() << "remove file failed" << path;
    beginResetModel();
    for (int i = rows.size() - 1; i >= 0; --i) {
        if (!m_lastRemoval.failed.contains(paths.at(i)))
            m_rows.removeAt(rows.at(i));
    }
    endResetModel();
    return m_lastRemoval.failed.isEmpty();
}

int FileTableModel::maxTrailingNumber() const
{
    int largest = 0;
    for (const stFileModelInfo& info : m_rows) {
        bool fits = false;
        const int number = runningNumber(info.fileName).toInt(&fits);
        if (fits)
            largest = std::max(largest, number);
    }
    return largest;
}

bool FileTableModel::moveFile(int from, int to)
{
    QHash<QString, QString> renamed;
    return move(from, to, &renamed);
}

bool FileTableModel::move(int from, int to, QHash<QString, QString>* renamed)
{
    if (from == to || !validRow(from) || !validRow(to))
        return false;
    const QString nameTo = m_rows.at(to).fileName;
    const FileMover::Result result = FileMover(m_tagSource).move(filePaths(), from, to);
    if (!result.ok) {
        const QString message =
            QStringLiteral("重命名失败:%1 -> %2").arg(result.failedFrom, result.failedTo);
        qWarning().noquote() << message;
        if (m_notifyError)
            m_notifyError(message);
        return false;
    }
    *renamed = result.renamed;
    m_rows[from].fileName = nameTo;
    emit dataChanged(index(from, 0), index(from, columnCount() - 1));
    return true;
}

void FileTableModel::setConfirmHandler(ConfirmHandler handler)
{
    m_confirm = std::move(handler);
}

void FileTableModel::setErrorNotifier(ErrorNotifier notifier)
{
    m_notifyError = std::move(notifier);
}

void FileTableModel::setAskPermanent(PageTrash::AskPermanent ask)
{
    m_askPermanent = std::move(ask);
}

void FileTableModel::setTagSource(FileMover::TagSource source)
{
    m_tagSource = std::move(source);
}

bool FileTableModel::confirm(const QString& title, const QString& text) const
{
    if (m_confirm)
        return m_confirm(title, text);
    // The window installs the program's own question box; this plain one is the fallback.
    return QMessageBox::question(nullptr, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}
