#include "PageNumberCheck.h"

#include "PageNumberText.h"

#include <QDebug>

namespace {

QString unclearRange(const SplitRow& row)
{
    return QStringLiteral("%1结束页码的页码范围不明确或格式不正确").arg(row.archiveNo);
}

} // namespace

PageNumberCheck::PageNumberCheck(bool checkCounts, bool setCounts)
    : m_checkCounts(checkCounts), m_setCounts(setCounts)
{
}

QString PageNumberCheck::check(const QVector<SplitRow>& rows, const QSet<QString>& selected,
                               QVector<qint64>* counts) const
{
    const int n = rows.size();
    if (n < 2)
        return QString();
    for (int i = 0; i + 1 < n; ++i) {
        const SplitRow& cur = rows.at(i);
        if (!selected.contains(cur.caseNo))
            continue;
        const SplitRow& next = rows.at(i + 1);
        qint64& count = (*counts)[i];
        QString error;
        if (cur.caseNo != next.caseNo)
            error = lastOfCaseFile(cur, next, &count);
        else if (PageNumberText::isRange(cur.pageNo))
            error = withinRange(cur, &count);
        else
            error = sameCaseFile(cur, next, &count);
        if (!error.isEmpty())
            return error;
    }
    const SplitRow& last = rows.at(n - 1);
    // The very last row closes its case file with a range.
    if (!selected.contains(last.caseNo))
        return QString();
    return withinRange(last, &(*counts)[n - 1]);
}

QString PageNumberCheck::sameCaseFile(const SplitRow& cur, const SplitRow& next,
                                      qint64* count) const
{
    qint64 first = 0;
    if (m_entryCheck && !PageNumberText::number(cur.pageNo, &first))
        return QStringLiteral("%1页号格式错误：非数字格式").arg(cur.archiveNo);
    qint64 nextStart = 0;
    qint64 nextEnd = 0;
    if (PageNumberText::isRange(next.pageNo)) {
        if (PageNumberText::partCount(next.pageNo) != 2)
            return QStringLiteral("%1页号范围错误").arg(next.archiveNo);
        if (!PageNumberText::range(next.pageNo, &nextStart, &nextEnd))
            return QStringLiteral("%1页号格式错误").arg(next.archiveNo);
    } else if (!PageNumberText::number(next.pageNo, &nextStart)) {
        // Counting on from page 0 would hand this item pages of its neighbours.
        return QStringLiteral("%1页号格式错误").arg(next.archiveNo);
    }
    if (!PageNumberText::number(cur.pageNo, &first))
        return QStringLiteral("%1页号格式错误").arg(cur.archiveNo);
    const qint64 derived = nextStart - first;
    if (m_entryCheck && derived < 0)
        return QStringLiteral("%1的页号大于了%2的页号").arg(cur.archiveNo, next.archiveNo);
    if (m_checkCounts && *count != derived) {
        qWarning().noquote() << cur.archiveNo << "page count" << *count << "page numbers give"
                             << derived;
        return QStringLiteral("%1页数与页号不匹配").arg(cur.archiveNo);
    }
    if (derived < 0)
        return QStringLiteral("%1的页号大于了%2的页号").arg(cur.archiveNo, next.archiveNo);
    if (m_setCounts)
        *count = derived;
    return QString();
}

QString PageNumberCheck::withinRange(const SplitRow& cur, qint64* count) const
{
    qint64 start = 0;
    qint64 end = 0;
    if (!PageNumberText::range(cur.pageNo, &start, &end))
        return unclearRange(cur);
    const qint64 derived = end - start + 1;
    if (derived < 0)
        return QStringLiteral("%1页号范围错误").arg(cur.archiveNo);
    if (m_checkCounts && *count != derived)
        return QStringLiteral("最后一行%1页数与页号不匹配").arg(cur.archiveNo);
    if (m_setCounts)
        *count = derived;
    return QString();
}

QString PageNumberCheck::lastOfCaseFile(const SplitRow& cur, const SplitRow& next,
                                        qint64* count) const
{
    qint64 start = 0;
    qint64 end = 0;
    if (!PageNumberText::isRange(cur.pageNo) || !PageNumberText::range(cur.pageNo, &start, &end))
        return unclearRange(cur);
    const qint64 derived = end - start + 1;
    if (derived < 0)
        return QStringLiteral("%1的页号大于了%2的页号").arg(cur.archiveNo, next.archiveNo);
    if (m_checkCounts && *count != derived)
        return QStringLiteral("%1页数与页号不匹配").arg(cur.archiveNo);
    if (m_setCounts)
        *count = derived;
    return QString();
}
