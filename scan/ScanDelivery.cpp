#include "ScanDelivery.h"

#include "BlankPage.h"
#include "ScanRecovery.h"

#include <QDir>
#include <QFileInfo>

ScanDelivery::ScanDelivery(const Options& options) : m_options(options) {}

QString ScanDelivery::pageArrived(const QString& path)
{
    ++m_arrived;
    const QString shown = QDir::toNativeSeparators(path);
    double ink = 0;
    if (m_options.skipBlank && isBlankPage(path, kDefaultBlankInkRatio, &ink)) {
        m_blank << path;
        ++m_skipped;
        return QStringLiteral("已扫描%1页：空白页，跳过（%2）").arg(m_arrived).arg(shown);
    }
    if (m_options.mode != ScanPlacement::Append) {
        m_waiting << path;
        return QStringLiteral("已扫描%1页：%2").arg(m_arrived).arg(shown);
    }
    // Each page goes in as it comes, under the first free code: a low next code
    // never takes a name already in the folder.
    ScanPlacement::Job job;
    job.mode = ScanPlacement::Append;
    job.folder = m_options.folder;
    job.naming = m_options.naming;
    job.pages = QStringList{path};
    job.recoveryRoot = m_options.recoveryRoot;
    const ScanPlacement::Result result = ScanPlacement().place(job, ScanPlacement::plan(job));
    record(result);
    if (!result.ok)
        return QStringLiteral("已扫描%1页：未能放入目录（%2）").arg(m_arrived).arg(result.error);
    return QStringLiteral("已扫描%1页：%2")
        .arg(m_arrived)
        .arg(QDir::toNativeSeparators(result.placed.value(0)));
}

void ScanDelivery::record(const ScanPlacement::Result& result)
{
    m_placed << result.placed;
    m_failed << result.failed;
    m_renumbered += result.oldToNew.size();
    if (!result.message.isEmpty() && !m_messages.contains(result.message))
        m_messages << result.message;
    if (!result.recoveryFolder.isEmpty() && !m_recoveryFolders.contains(result.recoveryFolder))
        m_recoveryFolders << result.recoveryFolder;
    m_anyFailed = m_anyFailed || !result.ok;
}

bool ScanDelivery::finish(QStringList* lines)
{
    const int mode = m_options.mode;
    const QString folder = QDir::toNativeSeparators(m_options.folder);
    bool ok = true;
    if (mode == ScanPlacement::Preview) {
        lines->append(
            QStringLiteral("预扫%1页，保存在 %2（目录 %3 未改动）")
                .arg(m_waiting.size())
                .arg(m_waiting.isEmpty()
                         ? QString()
                         : QDir::toNativeSeparators(QFileInfo(m_waiting.first()).absolutePath()))
                .arg(folder));
    } else {
        if (!m_waiting.isEmpty()) {
            ScanPlacement::Job job;
            job.mode = mode;
            job.folder = m_options.folder;
            job.currentFile = m_options.atFile;
            job.naming = m_options.naming;
            job.pages = m_waiting;
            job.recoveryRoot = m_options.recoveryRoot;
            const ScanPlacement::Plan plan = ScanPlacement::plan(job);
            const ScanPlacement::Result result = ScanPlacement().place(job, plan);
            record(result);
            if (result.ok)
                m_replaced += plan.replaced.size();
            for (const QString& page : result.placed)
                lines->append(QStringLiteral("  %1").arg(QDir::toNativeSeparators(page)));
        }
        ok = !m_anyFailed && m_failed.isEmpty();
        lines->append(QStringLiteral("共扫描%1页，保存在 %2").arg(m_placed.size()).arg(folder));
        if (m_renumbered > 0)
            lines->append(QStringLiteral("其后%1个文件已重新编号").arg(m_renumbered));
        if (m_replaced > 0)
            lines->append(QStringLiteral("替换了%1个文件").arg(m_replaced));
    }
    if (!m_blank.isEmpty()) {
        QStringList notMoved;
        const QString kept = ScanRecovery::save(m_blank, m_options.recoveryRoot, &notMoved);
        lines->append(QStringLiteral("跳过空白页%1页").arg(m_skipped) +
                      (kept.isEmpty()
                           ? QString()
                           : QStringLiteral("，已移到 %1").arg(QDir::toNativeSeparators(kept))));
        if (!notMoved.isEmpty()) {
            lines->append(
                QStringLiteral("%1个空白页未能移出，仍在 %2")
                    .arg(notMoved.size())
                    .arg(QDir::toNativeSeparators(QFileInfo(notMoved.first()).absolutePath())));
            ok = false;
        }
    }
    lines->append(m_messages);
    return ok;
}
