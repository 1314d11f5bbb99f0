#include "ScanPlanner.h"

#include "DirListing.h"
#include "FileTableModel.h"
#include "PageName.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>

ScanPlanner::ScanPlanner(const ScanPlacement::Job& job) : m_job(job) {}

ScanPlacement::Plan ScanPlanner::run()
{
    for (const QString& page : m_job.pages) {
        if (!page.isEmpty() && QFileInfo(page).isFile())
            m_plan.pages << page;
        else if (!page.isEmpty())
            m_plan.missing << page;
    }
    if (m_job.mode == ScanPlacement::Preview || m_plan.pages.isEmpty())
        return m_plan;
    const QString& folder = m_job.folder;
    if (folder.isEmpty()) {
        m_plan.error = ScanNaming::noFolderMessage();
        return m_plan;
    }
    if ((folder + QLatin1Char('/')).toUtf8().size() >= ScanNaming::kMaxPathBytes) {
        m_plan.error = ScanNaming::pathTooLongMessage();
        return m_plan;
    }
    if (!QFileInfo(folder).isDir()) {
        m_plan.error = QStringLiteral("目录不存在：%1").arg(folder);
        return m_plan;
    }
    if (ScanNaming::unsafeNameText(m_job.naming.extension)) {
        m_plan.error = ScanNaming::badTextMessage();
        return m_plan;
    }
    const QDir dir(folder);
    m_entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    m_files = dir.entryList(QDir::Files);
    for (const QString& name : qAsConst(m_entries))
        claim(name);
    m_nextCode = std::max(1, m_job.naming.nextCode);

    if (m_job.mode == ScanPlacement::Insert)
        insert();
    else if (m_job.mode == ScanPlacement::Replace)
        replace();
    else
        appendFrom(0);
    if (m_plan.error.isEmpty())
        m_plan.error = check();
    return m_plan;
}

void ScanPlanner::claim(const QString& name)
{
    m_taken.insert(name);
    const ScanNaming& naming = m_job.naming;
    const int code = PageName::match(name, naming.prefix, naming.suffix).number();
    if (code >= 0)
        m_takenCodes.insert(code);
}

// Skips every code already in use with any extension or width, so a low next
// code never writes over a page.
QString ScanPlanner::freeName()
{
    while (m_nextCode < INT_MAX &&
           (m_takenCodes.contains(m_nextCode) || m_taken.contains(m_job.naming.name(m_nextCode))))
        ++m_nextCode;
    const QString name = m_job.naming.name(m_nextCode);
    m_highestFreeCode = std::max(m_highestFreeCode, m_nextCode);
    claim(name);
    return name;
}

void ScanPlanner::appendFrom(int page)
{
    for (int k = page; k < m_plan.pages.size(); ++k)
        m_plan.targets << freeName();
    const QString why = m_job.naming.validate(m_job.folder, m_highestFreeCode);
    if (!why.isEmpty())
        m_plan.error = why;
}

void ScanPlanner::becomeAppend(const QString& why)
{
    qInfo().noquote() << "scan placement:" << why;
    m_plan.note = why;
    appendFrom(0);
}

void ScanPlanner::insert()
{
    const PageName current = PageName::parse(m_job.currentFile);
    if (m_job.currentFile.isEmpty()) {
        becomeAppend(QStringLiteral("目录中没有文件，插扫改为追加到末尾"));
        return;
    }
    const int start = current.number();
    const int count = m_plan.pages.size();
    if (!current.numbered() || start < 0 || start > INT_MAX / 2 - 2 * count) {
        becomeAppend(QStringLiteral("当前文件没有编号，插扫改为追加到末尾"));
        return;
    }
    PageName page = current;
    page.extension = m_job.naming.extension;
    for (int k = 0; k < count; ++k)
        m_plan.targets << page.withNumber(start + k);

    // The following pages move up by the number of new pages until a gap in
    // the numbering is wide enough to take them.
    QVector<PageName> following;
    for (const QString& name : qAsConst(m_files)) {
        const PageName other = PageName::match(name, current.prefix, current.suffix);
        if (other.number() >= start)
            following << other;
    }
    std::sort(following.begin(), following.end(), [](const PageName& a, const PageName& b) {
        if (a.number() != b.number())
            return a.number() < b.number();
        return a.withNumber(a.number()) < b.withNumber(b.number());
    });
    int highest = start + count - 1;
    for (const PageName& other : qAsConst(following)) {
        const int number = other.number();
        if (number > highest)
            break;
        if (number > INT_MAX - count) {
            m_plan.error = ScanNaming::nameTooLongMessage();
            return;
        }
        m_plan.shifts.append({other.withNumber(number), other.withNumber(number + count)});
        highest = std::max(highest, number + count);
    }
}

void ScanPlanner::replace()
{
    const QFileInfoList listed = DirListing::sortedEntries(
        m_job.folder, FileTableModel::imageNameFilters(), QDir::Files | QDir::NoSymLinks);
    int row = -1;
    for (int i = 0; i < listed.size() && !m_job.currentFile.isEmpty(); ++i) {
        if (listed.at(i).fileName() == m_job.currentFile)
            row = i;
    }
    if (row < 0) {
        becomeAppend(m_job.currentFile.isEmpty()
                         ? QStringLiteral("目录中没有文件，替扫改为追加到末尾")
                         : QStringLiteral("当前文件已不在目录中，替扫改为追加到末尾"));
        return;
    }
    int k = 0;
    for (; k < m_plan.pages.size() && row + k < listed.size(); ++k) {
        const QString old = listed.at(row + k).fileName();
        m_plan.replaced << old;
        const QString target = PageName::baseOf(old) + m_job.naming.extension;
        m_plan.targets << target;
        claim(target);
    }
    if (k < m_plan.pages.size())
        appendFrom(k);
}

QString ScanPlanner::check() const
{
    QSet<QString> freed(m_plan.replaced.begin(), m_plan.replaced.end());
    QStringList targets = m_plan.targets;
    for (const ScanPlacement::Rename& shift : m_plan.shifts) {
        freed.insert(shift.from);
        targets << shift.to;
    }
    const QSet<QString> onDisk(m_entries.begin(), m_entries.end());
    QSet<QString> seen;
    for (const QString& name : qAsConst(targets)) {
        if (name.toUtf8().size() > ScanNaming::kMaxNameBytes)
            return ScanNaming::nameTooLongMessage();
        if ((m_job.folder + QLatin1Char('/') + name).toUtf8().size() > ScanNaming::kMaxPathBytes)
            return ScanNaming::pathTooLongMessage();
        if (seen.contains(name))
            return QStringLiteral("目标文件重复:%1").arg(name);
        if (onDisk.contains(name) && !freed.contains(name))
            return QStringLiteral("目标文件已存在:%1").arg(name);
        seen.insert(name);
    }
    return QString();
}
