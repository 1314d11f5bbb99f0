#include "FolderCommands.h"

#include "FolderBrowser.h"
#include "FolderCreatorDlg.h"
#include "PageNameCheck.h"
#include "PageTrash.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QUrl>

FolderCommands::FolderCommands(Hooks hooks, QObject* parent)
    : QObject(parent), m_hooks(std::move(hooks))
{
}

int FolderCommands::fileCount(const QString& path)
{
    int count = 0;
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

QString FolderCommands::currentFolder()
{
    const QModelIndex index = m_hooks.currentIndex();
    if (!index.isValid()) {
        m_hooks.notifyError(QStringLiteral("请先选择文件夹"));
        return QString();
    }
    return m_hooks.browser->folderModel()->filePath(index);
}

void FolderCommands::newFolder()
{
    const QModelIndex index = m_hooks.currentIndex();
    if (!index.isValid()) {
        m_hooks.notifyError(QStringLiteral("请先选择文件夹"));
        return;
    }
    const QString name = m_hooks.askText(QStringLiteral("创建目录"), QStringLiteral("目录名称"),
                                         QStringLiteral("新建文件夹"));
    if (name.isEmpty())
        return;
    const QString problem = PageNameCheck::problem(name, PageNameCheck::Folder);
    if (!problem.isEmpty()) {
        m_hooks.notifyError(QStringLiteral("文件夹名无效：%1（%2）").arg(name, problem));
        return;
    }
    QFileSystemModel* folders = m_hooks.browser->folderModel();
    const QString path = QDir(folders->filePath(index)).filePath(name);
    if (QFileInfo::exists(path)) {
        m_hooks.notifyError(QStringLiteral("文件夹已存在：%1").arg(path));
        return;
    }
    if (!folders->mkdir(index, name).isValid())
        m_hooks.notifyError(QStringLiteral("创建目录失败：%1").arg(path));
}

void FolderCommands::createFolders()
{
    const QString folder = currentFolder();
    if (folder.isEmpty())
        return;
    FolderCreatorDlg dialog(folder, m_hooks.window);
    dialog.exec();
}

void FolderCommands::deleteFolder()
{
    const QString path = currentFolder();
    if (path.isEmpty())
        return;
    const QString root = m_hooks.rootPath();
    if (QDir::cleanPath(path) == QDir::cleanPath(root) || QFileInfo(path).isRoot()) {
        m_hooks.notifyError(QStringLiteral("数据目录不能删除：%1").arg(path));
        return;
    }
    // Tell how many pages go with a folder that is not empty; an empty one
    // keeps the plain question.
    const QString name = QFileInfo(path).fileName();
    QString question = QStringLiteral("是否确认删除文件夹：%1").arg(name);
    const int files = fileCount(path);
    if (files > 0)
        question += QStringLiteral("（其中有%1个文件）").arg(files);
    else if (!QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        question += QStringLiteral("（其中有子文件夹）");
    if (!m_hooks.ask(QStringLiteral("删除目录"), question))
        return;
    m_hooks.releasePagesUnder(path);
    if (!PageTrash::moveToTrash(path)) {
        if (!m_hooks.askPermanent() || !QDir(path).removeRecursively()) {
            m_hooks.notifyError(QStringLiteral("删除文件夹失败：%1").arg(path));
            return;
        }
    }
    qDebug().noquote() << "folder deleted" << path;
    // The nearest sibling by name takes its place, else the parent.
    const QString parent = QFileInfo(path).absolutePath();
    QStringList siblings = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QString next;
    for (const QString& sibling : siblings) {
        next = QDir(parent).filePath(sibling);
        if (sibling > name)
            break;
    }
    if (next.isEmpty() && QDir::cleanPath(parent) != QDir::cleanPath(root))
        next = parent;
    m_hooks.selectFolder(next);
}

void FolderCommands::setDataDirectory()
{
    const QString chosen = m_hooks.chooseDirectory();
    if (chosen.isEmpty())
        return;
    if (!QFileInfo(chosen).isDir()) {
        m_hooks.notifyError(QStringLiteral("目录不存在：%1").arg(chosen));
        return;
    }
    m_hooks.setRoot(QDir::cleanPath(chosen));
}

void FolderCommands::openFolder()
{
    const QString path = currentFolder();
    if (path.isEmpty())
        return;
    if (!m_hooks.openUrl(QUrl::fromLocalFile(path)))
        m_hooks.notifyError(QStringLiteral("无法打开文件夹：%1").arg(path));
}
