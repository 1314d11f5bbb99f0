#include "FolderBrowser.h"

#include "FileTableModel.h"

#include <QDebug>
#include <QDir>
#include <QFileSystemModel>

FolderBrowser::FolderBrowser(QObject* parent)
    : QObject(parent), m_folderModel(new QFileSystemModel(this)),
      m_fileModel(new FileTableModel(this))
{
    m_folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    m_folderModel->setRootPath(QDir::rootPath());
}

QModelIndex FolderBrowser::rootIndex(const QString& rootPath) const
{
    qDebug().noquote() << "init rootpath is " + rootPath;
    if (rootPath.isEmpty())
        return {};
    return m_folderModel->index(rootPath);
}

bool FolderBrowser::isTreeIndex(const QModelIndex& index) const
{
    if (index.isValid() && index.model() == m_folderModel)
        return true;
    qWarning() << "void index";
    return false;
}

FolderBrowser::FolderClick FolderBrowser::folderClicked(const QModelIndex& index) const
{
    FolderClick click;
    if (!isTreeIndex(index))
        return click;
    click.valid = true;
    click.path = m_folderModel->filePath(index);
    click.name = m_folderModel->fileName(index);
    click.folderChanged = click.path != m_currentFolder;
    qDebug().noquote() << click.path << click.name;
    if (m_entryLookup) {
        const QString entry = m_entryLookup(click.name);
        if (!entry.isNull())
            qDebug().noquote() << "show entryInfo :" << entry;
    }
    return click;
}

FolderBrowser::FolderState FolderBrowser::folderChanged(const QModelIndex& current)
{
    FolderState state;
    if (!isTreeIndex(current))
        return state;
    m_currentFolder = m_folderModel->filePath(current);
    m_fileModel->loadDir(m_currentFolder);
    state.valid = true;
    state.folder = m_currentFolder;
    state.pageCount = m_fileModel->rowCount();
    state.nextCode = m_fileModel->maxTrailingNumber() + 1;
    if (state.pageCount > 0)
        state.firstFile = m_fileModel->index(0, 1);
    return state;
}

bool FolderBrowser::fileClicked(const QModelIndex& index)
{
    if (!index.isValid() || index.model() != m_fileModel) {
        qWarning() << "void index";
        return false;
    }
    if (index.column() != 0)
        return false;
    m_fileModel->toggleCheck(index.row());
    return true;
}
