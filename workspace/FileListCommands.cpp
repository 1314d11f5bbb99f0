#include "FileListCommands.h"

#include "FileTableModel.h"
#include "NameUtils.h"
#include "PageTrash.h"

#include <QFileInfo>
#include <QMenu>
#include <QUrl>

namespace {

const char* const kSequencePattern = "(\\d+(-\\d+)?)(,\\d+(-\\d+)?)*";

} // namespace

FileListCommands::FileListCommands(Hooks hooks, QObject* parent)
    : QObject(parent), m_hooks(std::move(hooks))
{
}

void FileListCommands::setAsk(std::function<bool(const QString&, const QString&)> ask)
{
    m_hooks.ask = std::move(ask);
}

void FileListCommands::deleteCurrent()
{
    const int row = m_hooks.currentRow();
    if (row < 0 || row >= m_hooks.files->rowCount()) {
        m_hooks.notifyError(QStringLiteral("请先选择文件"));
        return;
    }
    const QString text = m_hooks.currentText();
    if (!m_hooks.ask(QStringLiteral("删除文件"),
                     QStringLiteral("是否确认删除选文件：%1").arg(text)))
        return;
    const QStringList before = m_hooks.files->filePaths();
    m_hooks.aboutToDelete({before.at(row)});
    const bool ok = m_hooks.files->removeFile(row);
    finishDelete(before, ok, true);
}

void FileListCommands::deleteChecked(bool reload)
{
    if (m_hooks.files->checkedFiles().isEmpty()) {
        m_hooks.notifyError(QStringLiteral("没有勾选的文件"));
        return;
    }
    if (!m_hooks.ask(QStringLiteral("删除文件"), QStringLiteral("是否确认删除已勾选的文件")))
        return;
    const QStringList before = m_hooks.files->filePaths();
    QStringList checked;
    for (const auto& record : m_hooks.files->checkedFiles())
        checked << record.fullPath();
    m_hooks.aboutToDelete(checked);
    const bool ok = m_hooks.files->removeChecked();
    finishDelete(before, ok, reload);
}

void FileListCommands::finishDelete(const QStringList& before, bool ok, bool reload)
{
    const PageTrash::Result& result = m_hooks.files->lastRemoval();
    // Only a delete that moved pages replaces what 撤销删除 brings back.
    if (!result.trashedAs.isEmpty()) {
        m_lastDeleted.clear();
        for (const QString& path : result.removed) {
            if (result.trashedAs.contains(path))
                m_lastDeleted.append({path, result.trashedAs.value(path)});
        }
    }
    QStringList gone = result.removed;
    const QStringList after = m_hooks.files->filePaths();
    for (const QString& path : before) {
        if (!after.contains(path) && !gone.contains(path) && !result.failed.contains(path))
            gone << path; // vanished before the delete reached it
    }
    m_hooks.deleted(gone, before, reload);
    if (!ok)
        m_hooks.notifyError(
            QStringLiteral("以下文件未能删除：\n%1").arg(result.failed.join(QLatin1Char('\n'))));
}

void FileListCommands::checkBySequence()
{
    const QString text =
        m_hooks.askSequence(QStringLiteral("序号输入"), QString::fromLatin1(kSequencePattern));
    if (text.isEmpty())
        return;
    m_hooks.files->setChecked(parseSequence(text), true);
}

void FileListCommands::openCurrentFile()
{
    const int row = m_hooks.currentRow();
    const QString path = m_hooks.files->fileInfo(row).fullPath();
    if (row < 0 || m_hooks.files->fileInfo(row).fileName.isEmpty()) {
        m_hooks.notifyError(QStringLiteral("请先选择文件"));
        return;
    }
    if (!m_hooks.openUrl(QUrl::fromLocalFile(path)))
        m_hooks.notifyError(QStringLiteral("无法打开文件：%1").arg(path));
}

void FileListCommands::undoDelete()
{
    if (m_lastDeleted.isEmpty()) {
        m_hooks.notifyError(QStringLiteral("没有可撤销的删除"));
        return;
    }
    QStringList restored;
    QStringList taken;
    QStringList failed;
    QList<QPair<QString, QString>> left;
    for (const auto& entry : qAsConst(m_lastDeleted)) {
        if (PageTrash::restore(entry.second, entry.first)) {
            restored << entry.first;
        } else if (QFileInfo::exists(entry.first)) {
            taken << entry.first;
            left << entry;
        } else {
            failed << entry.first;
        }
    }
    // Pages whose name is taken stay in the trash and can come back once it is free.
    m_lastDeleted = left;
    if (!restored.isEmpty())
        m_hooks.restored(restored);
    QStringList report;
    if (!taken.isEmpty())
        report << QStringLiteral("以下文件名已被占用，未恢复（仍在回收站）：\n%1")
                      .arg(taken.join(QLatin1Char('\n')));
    if (!failed.isEmpty())
        report
            << QStringLiteral("以下文件未能从回收站恢复：\n%1").arg(failed.join(QLatin1Char('\n')));
    if (!report.isEmpty())
        m_hooks.notifyError(report.join(QStringLiteral("\n")));
    else
        m_hooks.notify(QStringLiteral("已恢复%1个文件").arg(restored.size()));
}

QMenu* FileListCommands::contextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setToolTipsVisible(true);
    menu->addAction(QStringLiteral("全选"), m_hooks.files, [this] { m_hooks.files->checkAll(); });
    menu->addAction(QStringLiteral("取消全选"), m_hooks.files,
                    [this] { m_hooks.files->uncheckAll(); });
    menu->addAction(QStringLiteral("按序号勾选（如：1,2-5,10）"), this,
                    &FileListCommands::checkBySequence);
    menu->addAction(QStringLiteral("删除"), this, &FileListCommands::deleteCurrent);
    menu->addAction(QStringLiteral("批量删除"), this, [this] { deleteChecked(false); });
    QAction* open =
        menu->addAction(QStringLiteral("打开文件"), this, &FileListCommands::openCurrentFile);
    open->setToolTip(QStringLiteral("从资源管理器打开文件"));
    menu->addSeparator();
    QAction* undo =
        menu->addAction(QStringLiteral("撤销删除"), this, &FileListCommands::undoDelete);
    undo->setEnabled(canUndoDelete());
    return menu;
}
