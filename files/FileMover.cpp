#include "FileMover.h"

#include <QFileInfo>
#include <algorithm>

FileMover::FileMover(TagSource tagSource) : m_tagSource(std::move(tagSource)) {}

void FileMover::setStepHook(RenameTransaction::StepHook hook)
{
    m_hook = std::move(hook);
}

QVector<QPair<QString, QString>> FileMover::plan(const QStringList& paths, int from, int to)
{
    QVector<QPair<QString, QString>> steps;
    if (from == to || from < 0 || to < 0 || from >= paths.size() || to >= paths.size())
        return steps;
    // The files between the two rows shift one slot towards from.
    const int shift = from > to ? 1 : -1;
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        steps.append({paths[row], row == from ? paths[to] : paths[row + shift]});
    return steps;
}

FileMover::Result FileMover::move(const QStringList& paths, int from, int to) const
{
    Result result;
    if (from == to)
        return result;
    const QVector<QPair<QString, QString>> steps = plan(paths, from, to);
    if (steps.isEmpty()) {
        result.ok = false;
        return result;
    }
    RenameTransaction change(QFileInfo(paths[from]).absolutePath(), m_tagSource);
    for (const auto& step : steps)
        change.add(step.first, step.second);
    change.setStepHook(m_hook);
    const RenameTransaction::Result outcome = change.commit();
    result.ok = outcome.ok;
    result.failedFrom = outcome.failedFrom;
    result.failedTo = outcome.failedTo;
    result.error = outcome.error;
    if (outcome.ok)
        result.renamed = change.map();
    return result;
}
