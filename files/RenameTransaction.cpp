#include "RenameTransaction.h"

#include "NameUtils.h"
#include "ProcessIds.h"
#include "SafeWrite.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>


namespace {

// Bounds the redraws when a tag source keeps producing taken names.
constexpr int kMaxTagDraws = 1000;
constexpr int kTagLength = 8;

// One change at a time per process: the journal is named after the process, and
// recover may then treat a journal of this process as left over.
QMutex& changeMutex()
{
    static QMutex mutex;
    return mutex;
}

bool nameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}


// Puts every page of the journal back at its source (phase 1) or forward at its
// target (phase 2). Each step is at one of two names in a given phase, so the
// pages still at their temporary names are exactly the ones to move.
bool replay(const RenameJournal& journal)
{
    RenameJournal::Phase phase;
    QVector<RenameStep> steps;
    if (!journal.read(&phase, &steps)) {
        qWarning().noquote() << "rename journal damaged, left alone:" << journal.path();
        return false;
    }
    const bool forward = phase == RenameJournal::ToTarget;
    int moved = 0;
    bool complete = true;
    for (const RenameStep& step : steps) {
        if (!nameTaken(step.temp))
            continue;
        const QString target = forward ? step.to : step.from;
        QString error;
        if (SafeWrite::renameNoReplace(step.temp, target, &error)) {
            ++moved;
        } else {
            qWarning().noquote() << "rename recovery failed" << step.temp << "->" << target
                                 << error;
            complete = false;
        }
    }
    qInfo().noquote() << "rename journal" << journal.path()
                      << (forward ? "rolled forward," : "rolled back,") << moved << "files moved";
    return complete && journal.remove();
}

} // namespace

RenameTransaction::RenameTransaction(const QString& journalFolder, TagSource tags)
    : m_journalFolder(journalFolder), m_tags(std::move(tags))
{
}

void RenameTransaction::add(const QString& from, const QString& to)
{
    // Absolute, so a journal still names the right files from another working folder.
    const QString source = QDir::cleanPath(QFileInfo(from).absoluteFilePath());
    const QString target = QDir::cleanPath(QFileInfo(to).absoluteFilePath());
    if (source != target)
        m_steps.append({source, QString(), target});
}

void RenameTransaction::setStepHook(StepHook hook)
{
    m_hook = std::move(hook);
}

QHash<QString, QString> RenameTransaction::map() const
{
    QHash<QString, QString> result;
    for (const RenameStep& step : m_steps)
        result.insert(step.from, step.to);
    return result;
}

QString RenameTransaction::validate() const
{
    QString why;
    invalidStep(&why);
    return why;
}

int RenameTransaction::invalidStep(QString* why) const
{
    if (!m_steps.isEmpty() && !QFileInfo(m_journalFolder).isDir()) {
        *why = QStringLiteral("文件夹不存在:%1").arg(m_journalFolder);
        return -1;
    }
    QSet<QString> sources;
    QSet<QString> targets;
    for (int i = 0; i < m_steps.size(); ++i) {
        const RenameStep& step = m_steps.at(i);
        const QFileInfo source(step.from);
        const bool movable = source.isFile() || (m_foldersAllowed && source.isDir());
        if (!movable && !source.isSymLink()) {
            *why = QStringLiteral("源文件不存在:%1").arg(step.from);
            return i;
        }
        if (sources.contains(step.from)) {
            *why = QStringLiteral("源文件重复:%1").arg(step.from);
            return i;
        }
        if (targets.contains(step.to)) {
            *why = QStringLiteral("目标文件重复:%1").arg(step.to);
            return i;
        }
        sources.insert(step.from);
        targets.insert(step.to);
    }
    for (int i = 0; i < m_steps.size(); ++i) {
        const QString& target = m_steps.at(i).to;
        // A target held by another source is freed in the first phase.
        if (nameTaken(target) && !sources.contains(target)) {
            *why = QStringLiteral("目标文件已存在:%1").arg(target);
            return i;
        }
        if (!QFileInfo(QFileInfo(target).absolutePath()).isDir()) {
            *why = QStringLiteral("目标文件夹不存在:%1").arg(QFileInfo(target).absolutePath());
            return i;
        }
    }
    return -1;
}

QString RenameTransaction::drawTemporaryPath(const QString& path,
                                             const QSet<QString>& reserved) const
{
    const int slash = path.lastIndexOf('/');
    const QString dir = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const int dot = name.lastIndexOf('.');
    const int insertAt = dot > 0 ? dot : name.size();
    for (int draw = 0; draw < kMaxTagDraws; ++draw) {
        QString candidate = name;
        candidate.insert(insertAt, "-" + (m_tags ? m_tags() : randomString(kTagLength)));
        candidate.prepend(dir);
        if (!reserved.contains(candidate) && !nameTaken(candidate))
            return candidate;
    }
    return QString();
}

bool RenameTransaction::chooseTemporaryNames()
{
    // A temporary name must not be another step's name either, or phase 2 would meet it.
    QSet<QString> reserved;
    for (const RenameStep& step : m_steps)
        reserved << step.from << step.to;
    for (RenameStep& step : m_steps) {
        step.temp = drawTemporaryPath(step.from, reserved);
        if (step.temp.isEmpty())
            return false;
        reserved << step.temp;
    }
    return true;
}

RenameTransaction::Result RenameTransaction::commit()
{
    QMutexLocker lock(&changeMutex());
    Result result;
    RenameJournal journal(QDir(m_journalFolder).filePath(journalName()));
    // Left by an earlier change of this process whose undo failed: mend it before
    // looking at the names, and never write over it.
    if (!m_steps.isEmpty() && nameTaken(journal.path()) && !replay(journal)) {
        result = {false, QString(), QString(),
                  QStringLiteral("上次的重命名未完成:%1").arg(journal.path())};
        return result;
    }
    const int bad = invalidStep(&result.error);
    if (!result.error.isEmpty()) {
        result.ok = false;
        if (bad >= 0) {
            result.failedFrom = m_steps.at(bad).from;
            result.failedTo = m_steps.at(bad).to;
        }
        qWarning().noquote() << "rename refused:" << result.error;
        return result;
    }
    if (m_steps.isEmpty())
        return result;
    // One rename onto a free name is atomic by itself: no journal, no detour
    // through a temporary name (an appended scan page takes this path).
    if (m_steps.size() == 1) {
        m_ordinal = 0;
        const RenameStep& step = m_steps.first();
        if (!renamed(step.from, step.to, &result.error)) {
            result.ok = false;
            result.failedFrom = step.from;
            result.failedTo = step.to;
            qWarning().noquote() << "rename failed:" << step.from << "->" << step.to
                                 << result.error;
        }
        return result;
    }
    if (!chooseTemporaryNames()) {
        result = {false, m_steps.first().from, QString(), QStringLiteral("无法生成临时文件名")};
        return result;
    }
    if (!journal.write(RenameJournal::ToTemporary, m_steps)) {
        result = {false, QString(), QString(),
                  QStringLiteral("无法写入重命名日志:%1").arg(journal.path())};
        return result;
    }
    m_ordinal = 0;
    if (run(journal, &result))
        journal.remove();
    return result;
}

bool RenameTransaction::run(RenameJournal& journal, Result* result)
{
    auto fail = [result](const QString& from, const QString& to, const QString& error) {
        *result = {false, from, to, error};
        qWarning().noquote() << "rename failed" << from << "->" << to << error;
    };
    QString error;
    const int count = m_steps.size();
    for (int i = 0; i < count; ++i) {
        if (!renamed(m_steps[i].from, m_steps[i].temp, &error)) {
            fail(m_steps[i].from, m_steps[i].temp, error);
            return rollBack(journal, i, -1);
        }
    }
    if (!journal.write(RenameJournal::ToTarget, m_steps)) {
        fail(m_steps.first().temp, m_steps.first().to,
             QStringLiteral("无法写入重命名日志:%1").arg(journal.path()));
        return rollBack(journal, count, -1);
    }
    for (int i = 0; i < count; ++i) {
        if (!renamed(m_steps[i].temp, m_steps[i].to, &error)) {
            fail(m_steps[i].temp, m_steps[i].to, error);
            return rollBack(journal, count, i);
        }
    }
    return true;
}

bool RenameTransaction::renamed(const QString& from, const QString& to, QString* error)
{
    if (!SafeWrite::renameNoReplace(from, to, error))
        return false;
    if (m_hook)
        m_hook(m_ordinal);
    ++m_ordinal;
    return true;
}

// phaseTwoDone < 0: the second phase was not marked in the journal. Returns
// whether the journal may go; when an undo fails the journal stays, in the phase
// that matches the names on disk, for the next listing to finish.
bool RenameTransaction::rollBack(RenameJournal& journal, int phaseOneDone, int phaseTwoDone)
{
    QString error;
    bool complete = true;
    for (int i = phaseTwoDone - 1; i >= 0; --i) {
        if (!renamed(m_steps[i].to, m_steps[i].temp, &error)) {
            qWarning().noquote() << "rename rollback failed" << m_steps[i].to << "->"
                                 << m_steps[i].temp << error;
            complete = false;
        }
    }
    if (!complete)
        return false;
    // Every page is at its temporary name again; a crash from here on must undo.
    if (phaseTwoDone >= 0 && !journal.write(RenameJournal::ToTemporary, m_steps))
        return false;
    for (int i = phaseOneDone - 1; i >= 0; --i) {
        if (!renamed(m_steps[i].temp, m_steps[i].from, &error)) {
            qWarning().noquote() << "rename rollback failed" << m_steps[i].temp << "->"
                                 << m_steps[i].from << error;
            complete = false;
        }
    }
    return complete;
}

QString RenameTransaction::journalName()
{
    return RenameJournal::fileName(ProcessIds::own());
}

int RenameTransaction::recover(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    QMutexLocker lock(&changeMutex());
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({RenameJournal::prefix() + "*"}, QDir::Files | QDir::Hidden | QDir::System);
    int mended = 0;
    for (const QString& name : names) {
        const qint64 partialPid = RenameJournal::pidOfPartial(name);
        if (partialPid >= 0 && partialPid != ProcessIds::own() && ProcessIds::isGone(partialPid)) {
            // Never renamed into place, so nothing was done under it.
            QFile::remove(dir.filePath(name));
            continue;
        }
        const qint64 pid = RenameJournal::pidOf(name);
        // Holding the lock, no change of this process runs: its own journal is a leftover too.
        if (pid < 0 || (pid != ProcessIds::own() && !ProcessIds::isGone(pid)))
            continue;
        if (replay(RenameJournal(dir.filePath(name))))
            ++mended;
    }
    return mended;
}
