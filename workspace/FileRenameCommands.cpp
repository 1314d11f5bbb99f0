#include "FileRenameCommands.h"

#include "CommonDialogs.h"
#include "FileBatchRenameDlg.h"
#include "FileNameReplaceDlg.h"
#include "FileTableModel.h"
#include "PageNameCheck.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

bool taken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QHash<QString, QString> reversed(const QHash<QString, QString>& map)
{
    QHash<QString, QString> result;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        result.insert(it.value(), it.key());
    return result;
}

} // namespace

FileRenameCommands::FileRenameCommands(Hooks hooks, QObject* parent)
    : QObject(parent), m_hooks(std::move(hooks))
{
    if (!m_hooks.askText)
        m_hooks.askText = [](const QString& title, const QString& label, const QString& text) {
            return getText(title, label, text);
        };
    if (!m_hooks.tellError)
        m_hooks.tellError = [](const QString& text) {
            showMessage(QStringLiteral("错误"), text, QMessageBox::Warning);
        };
    for (auto* hook : {&m_hooks.listFolder, &m_hooks.treeFolder, &m_hooks.dataRoot})
        if (!*hook)
            *hook = [] { return QString(); };
    if (!m_hooks.releaseOpenPage)
        m_hooks.releaseOpenPage = [] {};
    if (!m_hooks.showFolder)
        m_hooks.showFolder = [](const QString&) {};
    if (!m_hooks.foldersRenamed)
        m_hooks.foldersRenamed = [](const QHash<QString, QString>&) {};
}

QString FileRenameCommands::root() const
{
    return m_hooks.dataRoot();
}

void FileRenameCommands::remember(const QString& journalFolder,
                                  const QHash<QString, QString>& oldToNew, bool folders)
{
    m_last = {journalFolder, oldToNew, folders};
    m_hasLast = !oldToNew.isEmpty();
}

BatchRenamePlan::Outcome FileRenameCommands::runFileRows(const QString& dir,
                                                         const QVector<RenameRow>& rows)
{
    BatchRenamePlan::Outcome outcome;
    const QHash<QString, QString> planned = BatchRenamePlan::pathMap(dir, rows);
    const auto change = [&] {
        outcome = BatchRenamePlan::run(dir, rows, BatchRenamePlan::Files, root());
        return outcome.renamed;
    };
    // Only the listed folder's open page can be among the renamed ones.
    if (m_hooks.files && QDir(dir) == QDir(m_hooks.listFolder()))
        m_hooks.files->applyExternalChange(dir, planned.keys(), change);
    else
        change();
    if (outcome.ok && !outcome.renamed.isEmpty())
        remember(dir, outcome.renamed, false);
    return outcome;
}

BatchRenamePlan::Outcome FileRenameCommands::runFolderRows(const QString& dir,
                                                           const QVector<RenameRow>& rows)
{
    const QString why = BatchRenamePlan::problem(dir, rows, BatchRenamePlan::Folders, root());
    if (!why.isEmpty())
        return {false, why, {}};
    // Every page under these folders changes its path: the open one is written
    // and closed rather than re-keyed path by path.
    m_hooks.releaseOpenPage();
    const BatchRenamePlan::Outcome outcome =
        BatchRenamePlan::run(dir, rows, BatchRenamePlan::Folders, root());
    if (outcome.ok && !outcome.renamed.isEmpty())
        remember(dir, outcome.renamed, true);
    m_hooks.foldersRenamed(outcome.renamed);
    m_hooks.showFolder(followedFolder(m_hooks.treeFolder(), outcome.renamed));
    return outcome;
}

void FileRenameCommands::batchRenameFiles(const QStringList& names)
{
    const QString dir = m_hooks.listFolder();
    if (dir.isEmpty())
        return;
    FileBatchRenameDlg dialog(dir, names, BatchRenamePlan::Files, m_hooks.parent);
    dialog.setDataRoot(root());
    dialog.setRunner(
        [this, dir](const QVector<RenameRow>& rows) { return runFileRows(dir, rows); });
    dialog.exec();
}

void FileRenameCommands::renameAllFiles()
{
    if (!m_hooks.files)
        return;
    QStringList names;
    for (int row = 0; row < m_hooks.files->rowCount(); ++row)
        names << m_hooks.files->fileInfo(row).fileName;
    batchRenameFiles(names);
}

void FileRenameCommands::renameCheckedFiles()
{
    if (!m_hooks.files)
        return;
    QStringList names;
    for (const stFileModelInfo& info : m_hooks.files->checkedFiles())
        names << info.fileName;
    batchRenameFiles(names);
}

void FileRenameCommands::replaceNames()
{
    const QString dir = m_hooks.listFolder();
    if (dir.isEmpty() || !m_hooks.files)
        return;
    QStringList names;
    for (int row = 0; row < m_hooks.files->rowCount(); ++row)
        names << m_hooks.files->fileInfo(row).fileName;
    FileNameReplaceDlg dialog(dir, names, m_hooks.parent);
    dialog.setDataRoot(root());
    dialog.setRunner(
        [this, dir](const QVector<RenameRow>& rows) { return runFileRows(dir, rows); });
    dialog.exec();
}

void FileRenameCommands::renameSubFolders()
{
    const QString dir = m_hooks.treeFolder();
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        m_hooks.tellError(QStringLiteral("请先选择文件夹"));
        return;
    }
    const QStringList names = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    FileBatchRenameDlg dialog(dir, names, BatchRenamePlan::Folders, m_hooks.parent);
    dialog.setDataRoot(root());
    dialog.setRunner(
        [this, dir](const QVector<RenameRow>& rows) { return runFolderRows(dir, rows); });
    dialog.exec();
}

PageRename::Result FileRenameCommands::renameFileTo(const QString& dir, const QString& oldName,
                                                    const QString& newName)
{
    const QString oldPath = QDir::cleanPath(QDir(dir).absoluteFilePath(oldName));
    qInfo().noquote() << "rename " << oldPath << QDir(dir).absoluteFilePath(newName);
    PageRename::Result result;
    const auto change = [&] {
        result = PageRename::rename(dir, oldName, newName, root());
        QHash<QString, QString> renamed;
        if (result.ok && result.newPath != oldPath)
            renamed.insert(oldPath, result.newPath);
        return renamed;
    };
    if (m_hooks.files && QDir(dir) == QDir(m_hooks.listFolder()))
        m_hooks.files->applyExternalChange(dir, {oldPath}, change);
    else
        change();
    if (result.ok && result.newPath != oldPath) {
        // A converted page cannot be renamed back: its old name means the old format.
        if (result.converted)
            m_hasLast = false;
        else
            remember(dir, {{oldPath, result.newPath}}, false);
    }
    return result;
}

void FileRenameCommands::renameFile(int row)
{
    if (!m_hooks.files || row < 0 || row >= m_hooks.files->rowCount())
        return;
    const stFileModelInfo info = m_hooks.files->fileInfo(row);
    const QString answer =
        m_hooks.askText(QStringLiteral("文件重命名"), QStringLiteral("文件名称"), info.fileName);
    if (answer.isEmpty() || answer == info.fileName)
        return;
    const PageRename::Result result = renameFileTo(info.dirPath, info.fileName, answer);
    if (!result.ok)
        m_hooks.tellError(result.error);
}

QString FileRenameCommands::renameFolderTo(const QString& path, const QString& newName)
{
    const QFileInfo folder(path);
    const QString dataRoot = root();
    if (!folder.isDir())
        return QStringLiteral("文件夹不存在：%1").arg(path);
    if (!dataRoot.isEmpty() && QDir(path) == QDir(dataRoot))
        return QStringLiteral("数据目录不能在这里重命名");
    const QString parent = folder.absolutePath();
    const QString why = PageNameCheck::problem(newName, PageNameCheck::Folder, parent, dataRoot);
    if (!why.isEmpty())
        return QStringLiteral("文件夹名称“%1”%2").arg(newName, why);
    const BatchRenamePlan::Outcome outcome = runFolderRows(parent, {{folder.fileName(), newName}});
    return outcome.ok ? QString() : outcome.message;
}

void FileRenameCommands::renameFolder()
{
    const QString path = m_hooks.treeFolder();
    if (path.isEmpty()) {
        m_hooks.tellError(QStringLiteral("请先选择文件夹"));
        return;
    }
    const QString name = QFileInfo(path).fileName();
    const QString answer =
        m_hooks.askText(QStringLiteral("文件夹重命名"), QStringLiteral("文件夹名称"), name);
    if (answer.isEmpty() || answer == name)
        return;
    const QString why = renameFolderTo(path, answer);
    if (!why.isEmpty()) {
        qWarning().noquote() << "重命名失败" << path << why;
        m_hooks.tellError(why);
    }
}

bool FileRenameCommands::canUndo() const
{
    if (!m_hasLast)
        return false;
    for (auto it = m_last.oldToNew.cbegin(); it != m_last.oldToNew.cend(); ++it) {
        const QFileInfo now(it.value());
        if (!(m_last.folders ? now.isDir() : now.isFile()))
            return false;
        // Freed by another step of the same change (a swap) is fine.
        if (taken(it.key()) && !m_last.oldToNew.contains(it.key()))
            return false;
    }
    return true;
}

QString FileRenameCommands::followedFolder(const QString& folder,
                                           const QHash<QString, QString>& oldToNew) const
{
    const QString clean = QDir::cleanPath(folder);
    for (auto it = oldToNew.cbegin(); it != oldToNew.cend(); ++it) {
        if (clean == it.key())
            return it.value();
        if (clean.startsWith(it.key() + "/"))
            return it.value() + clean.mid(it.key().size());
    }
    return folder;
}

void FileRenameCommands::undoLastRename()
{
    if (!canUndo()) {
        m_hooks.tellError(QStringLiteral("没有可撤销的重命名"));
        return;
    }
    const Change change = m_last;
    const QHash<QString, QString> back = reversed(change.oldToNew);
    BatchRenamePlan::Outcome outcome;
    if (change.folders) {
        m_hooks.releaseOpenPage();
        outcome = BatchRenamePlan::runMap(change.journalFolder, back, true);
        m_hooks.foldersRenamed(outcome.renamed);
        m_hooks.showFolder(followedFolder(m_hooks.treeFolder(), outcome.renamed));
    } else {
        const auto run = [&] {
            outcome = BatchRenamePlan::runMap(change.journalFolder, back, false);
            return outcome.renamed;
        };
        if (m_hooks.files && QDir(change.journalFolder) == QDir(m_hooks.listFolder()))
            m_hooks.files->applyExternalChange(change.journalFolder, back.keys(), run);
        else
            run();
    }
    if (!outcome.ok) {
        m_hooks.tellError(outcome.message);
        return;
    }
    m_hasLast = false;
}
