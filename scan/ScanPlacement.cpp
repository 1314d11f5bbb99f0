#include "ScanPlacement.h"

#include "DirListing.h"
#include "NameUtils.h"
#include "ScanPlanner.h"
#include "ScanRecovery.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace {

constexpr int kMaxNameDraws = 100;
const QString kStagedPrefix = QStringLiteral(".tarvo-scan-");
const QString kAsidePrefix = QStringLiteral(".tarvo-replaced-");

// A hidden copy of the page inside the target folder, so that the rename that
// puts it in place stays on one file system and cannot fail half-way. On the
// same file system a second link to the page is that copy: nothing is copied
// (the scanner flushed the page when it wrote it), and the scanned file still
// stands until the change is done.
QString stage(const QString& page, const QDir& folder, const QString& extension, QString* error)
{
    for (int draw = 0; draw < kMaxNameDraws; ++draw) {
        const QString path = folder.filePath(kStagedPrefix + randomString(6) + extension);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            continue;
#ifdef Q_OS_UNIX
        if (::link(QFile::encodeName(page).constData(), QFile::encodeName(path).constData()) == 0)
            return path;
        if (errno == EEXIST)
            continue;
#endif
        return ScanRecovery::copyFile(page, path, error) ? path : QString();
    }
    *error = QStringLiteral("无法生成临时文件名");
    return QString();
}

// The replaced pages wait here, under their own names, until the change is
// done; the folder is hidden and on the same file system as the pages.
QString makeAsideFolder(const QDir& folder)
{
    QTemporaryDir aside(folder.filePath(kAsidePrefix + "XXXXXX"));
    if (!aside.isValid())
        return QString();
    aside.setAutoRemove(false);
    return aside.path();
}

} // namespace

ScanPlacement::Plan ScanPlacement::plan(const Job& job)
{
    return ScanPlanner(job).run();
}

void ScanPlacement::setStepHook(RenameTransaction::StepHook hook)
{
    m_hook = std::move(hook);
}

QString ScanPlacement::failedMessage()
{
    return QStringLiteral("扫描页未能放入目录，已保存到：%1");
}

ScanPlacement::Result ScanPlacement::place(const Job& job, const Plan& plan) const
{
    if (!plan.error.isEmpty())
        return fail(job, plan, plan.error);
    Result result;
    result.failed = plan.missing;
    if (job.mode == Preview) {
        result.placed = plan.pages;
        return result;
    }
    if (plan.pages.isEmpty() || plan.targets.size() != plan.pages.size())
        return plan.pages.isEmpty() ? result
                                    : fail(job, plan, QStringLiteral("扫描页与文件名不符"));

    const QDir dir(job.folder);
    QStringList staged;
    QString aside;
    auto undo = [&]() {
        for (const QString& path : qAsConst(staged))
            QFile::remove(path);
        // Only ever empty here; a folder still holding a page stays.
        if (!aside.isEmpty())
            QDir().rmdir(aside);
    };
    for (const QString& page : plan.pages) {
        QString error;
        const QString path = stage(page, dir, job.naming.extension, &error);
        if (path.isEmpty()) {
            undo();
            return fail(job, plan, QStringLiteral("无法复制扫描页到目录：%1").arg(error));
        }
        staged << path;
    }
    if (!plan.replaced.isEmpty()) {
        aside = makeAsideFolder(dir);
        if (aside.isEmpty()) {
            undo();
            return fail(job, plan, QStringLiteral("无法在目录中建立临时文件夹"));
        }
    }

    RenameTransaction change(job.folder);
    for (const Rename& shift : plan.shifts)
        change.add(dir.filePath(shift.from), dir.filePath(shift.to));
    for (const QString& old : plan.replaced)
        change.add(dir.filePath(old), QDir(aside).filePath(old));
    for (int i = 0; i < staged.size(); ++i)
        change.add(staged.at(i), dir.filePath(plan.targets.at(i)));
    change.setStepHook(m_hook);
    const RenameTransaction::Result committed = change.commit();
    if (!committed.ok) {
        undo();
        return fail(job, plan, committed.error);
    }

    ScanRecovery::syncFolder(job.folder);
    for (const QString& page : plan.pages) {
        if (!QFile::remove(page))
            qWarning().noquote() << "scanned page placed but not removed:" << page;
    }
    for (const QString& target : plan.targets)
        result.placed << dir.filePath(target);
    for (const Rename& shift : plan.shifts)
        result.oldToNew.insert(dir.filePath(shift.from), dir.filePath(shift.to));
    // As the list shows it after a scan: the newest page of an append, else
    // the first page where the new ones begin.
    result.selectName = job.mode == Append ? plan.targets.last() : plan.targets.first();
    result.message = plan.note;
    if (!aside.isEmpty())
        disposeReplaced(aside, job.recoveryRoot, &result);
    qInfo().noquote() << "scan placed" << plan.pages.size() << "pages into" << job.folder << "mode"
                      << job.mode << "renumbered" << plan.shifts.size() << "replaced"
                      << plan.replaced.size();
    return result;
}

ScanPlacement::Result ScanPlacement::fail(const Job& job, const Plan& plan,
                                          const QString& why) const
{
    Result result;
    result.ok = false;
    result.error = why;
    result.failed = plan.missing;
    qWarning().noquote() << "scan pages not placed into" << job.folder << ":" << why;
    result.recoveryFolder = ScanRecovery::save(plan.pages, job.recoveryRoot, &result.failed);
    // Pages that could not be moved are still where the scan left them.
    const QString kept = result.recoveryFolder.isEmpty() && !plan.pages.isEmpty()
                             ? QFileInfo(plan.pages.first()).absolutePath()
                             : result.recoveryFolder;
    result.message = failedMessage().arg(kept) + QLatin1Char('\n') + why;
    return result;
}

// The old pages go to the desktop trash, or else into a recovery folder; they
// are never deleted outright.
void ScanPlacement::disposeReplaced(const QString& asideFolder, const QString& recoveryRoot,
                                    Result* result) const
{
    // Qt finds no home trash when the data folder (~/.local/share) is missing
    // and then puts "files" and "info" into the working folder: make sure it exists.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QStringList notTrashed;
    const QFileInfoList old =
        DirListing::sortedEntries(asideFolder, {}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& page : old) {
        if (!QFile::moveToTrash(page.absoluteFilePath()))
            notTrashed << page.absoluteFilePath();
    }
    if (!notTrashed.isEmpty()) {
        QStringList kept;
        const QString folder = ScanRecovery::save(notTrashed, recoveryRoot, &kept, false);
        const QString where = kept.isEmpty() ? folder : asideFolder;
        if (kept.isEmpty())
            result->recoveryFolder = folder;
        const QString text = QStringLiteral("被替换的页未能移入回收站，已保存到：%1").arg(where);
        result->message = result->message.isEmpty() ? text : result->message + '\n' + text;
    }
    QDir().rmdir(asideFolder);
}

QString ScanPlacement::rescueLeftovers(const QString& tempFolder, const QString& recoveryRoot)
{
    QStringList pages;
    for (const QFileInfo& entry : DirListing::sortedEntries(tempFolder, {}, QDir::Files))
        pages << entry.absoluteFilePath();
    if (pages.isEmpty())
        return QString();
    QStringList failed;
    const QString folder = ScanRecovery::save(pages, recoveryRoot, &failed);
    if (!failed.isEmpty())
        qWarning().noquote() << "scan leftovers not saved:" << failed;
    return folder;
}

QString ScanPlacement::rescueFolderLeftovers(const QString& folder, const QString& recoveryRoot)
{
    if (folder.isEmpty())
        return QString();
    // A rename change cut short is finished or undone first, so every page is
    // at a name of its own before anything moves.
    RenameTransaction::recover(folder);
    const QDir dir(folder);
    const QDir::Filters hidden = QDir::Hidden | QDir::System;
    QStringList pages;
    for (const QFileInfo& entry : dir.entryInfoList({kStagedPrefix + "*"}, QDir::Files | hidden))
        pages << entry.absoluteFilePath();
    const QFileInfoList asides = dir.entryInfoList({kAsidePrefix + "*"}, QDir::Dirs | hidden);
    for (const QFileInfo& aside : asides) {
        for (const QFileInfo& old :
             DirListing::sortedEntries(aside.absoluteFilePath(), {}, QDir::Files | hidden))
            pages << old.absoluteFilePath();
    }
    QStringList failed;
    const QString saved = ScanRecovery::save(pages, recoveryRoot, &failed);
    if (!failed.isEmpty())
        qWarning().noquote() << "scan leftovers in" << folder << "not saved:" << failed;
    for (const QFileInfo& aside : asides)
        dir.rmdir(aside.fileName());
    return saved;
}
