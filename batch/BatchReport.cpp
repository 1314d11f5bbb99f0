#include "BatchReport.h"

namespace BatchReport {
namespace {

void appendList(QString& out, const QString& heading, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    out += QStringLiteral("\n%1（%2个）：").arg(heading).arg(paths.size());
    for (int i = 0; i < paths.size() && i < kListedPaths; ++i)
        out += QStringLiteral("\n  ") + paths.at(i);
    if (paths.size() > kListedPaths)
        out += QStringLiteral("\n  ……另有%1个").arg(paths.size() - kListedPaths);
}

} // namespace

QString text(const BatchSummary& summary)
{
    QString out = QStringLiteral("批量处理完成：共%1个文件，处理%2个，跳过%3个，失败%4个。")
                      .arg(summary.total)
                      .arg(summary.processed)
                      .arg(summary.skipped.size())
                      .arg(summary.failed.size());
    appendList(out, QStringLiteral("无法读取，未修改"), summary.skipped);
    appendList(out, QStringLiteral("写入失败，原文件保留"), summary.failed);
    appendList(out, QStringLiteral("有动作未能执行，其余动作已写入"), summary.actionFailures);
    appendList(out, QStringLiteral("页码未能写入"), summary.stampFailures);
    return out;
}

} // namespace BatchReport
