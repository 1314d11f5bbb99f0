#include "ConvertRunner.h"

#include "FileConverter.h"
#include "PageMerge.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QThread>

namespace {

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss.zzz"));
}

void report(const ConvertRunner::Hooks& hooks, ConvertSummary& summary, const QString& line)
{
    summary.problems.append(line);
    qWarning().noquote() << line;
    if (hooks.problem)
        hooks.problem(line);
}

bool cancelled(const ConvertRunner::Hooks& hooks, ConvertSummary& summary)
{
    if (hooks.cancelled && hooks.cancelled())
        summary.cancelled = true;
    return summary.cancelled;
}

} // namespace

ConvertRunner::ConvertRunner(const QString& root, const QMap<QString, QStringList>& folders)
    : m_root(root), m_folders(folders)
{
}

QString ConvertRunner::name(Operation operation)
{
    switch (operation) {
    case Operation::ToJpg:
        return QStringLiteral("convert2jpg");
    case Operation::ToTif:
        return QStringLiteral("convert2tif");
    case Operation::MergeTif:
        return QStringLiteral("merge2tif");
    case Operation::MergePdf:
        break;
    }
    return QStringLiteral("merge2pdf");
}

QString ConvertRunner::mergedPath(const QString& root, const QString& folder, Operation operation)
{
    const char* format = operation == Operation::MergePdf ? "%1/%2.pdf" : "%1/%2.tif";
    return QString::fromLatin1(format).arg(root, folder);
}

ConvertSummary ConvertRunner::run(Operation operation, const Hooks& hooks) const
{
    ConvertSummary summary;
    const QString operationName = name(operation);
    qDebug().noquote() << "start " + operationName + ": " << QThread::currentThreadId() << now();
    const bool merging = operation == Operation::MergeTif || operation == Operation::MergePdf;
    for (auto it = m_folders.constBegin(); it != m_folders.constEnd(); ++it) {
        if (cancelled(hooks, summary))
            break;
        if (hooks.progress)
            hooks.progress(QStringLiteral("处理中：%1").arg(it.key()));
        if (merging)
            mergeFolder(it.key(), it.value(), operation, hooks, summary);
        else
            convertFolder(it.key(), it.value(), operation, hooks, summary);
    }
    qDebug().noquote() << "end " + operationName + ": " << now();
    return summary;
}

void ConvertRunner::convertFolder(const QString& folder, const QStringList& names,
                                  Operation operation, const Hooks& hooks,
                                  ConvertSummary& summary) const
{
    const auto target =
        operation == Operation::ToJpg ? FileConverter::Target::Jpg : FileConverter::Target::Tif;
    // Two sources that would get one name (a.png, a.bmp) are both left: either
    // choice would lose the other page.
    QHash<QString, int> claims;
    for (const QString& name : names) {
        const QString destination = FileConverter::destinationName(name, target);
        if (destination != name)
            ++claims[destination];
    }
    for (const QString& name : names) {
        if (cancelled(hooks, summary))
            return;
        const QString source = QStringLiteral("%1/%2/%3").arg(m_root, folder, name);
        const QString destinationName = FileConverter::destinationName(name, target);
        const QString destination = QStringLiteral("%1/%2/%3").arg(m_root, folder, destinationName);
        if (destination == source) {
            ++summary.succeeded;
            continue;
        }
        if (claims.value(destinationName) > 1) {
            ++summary.skipped;
            report(
                hooks, summary,
                QStringLiteral("跳过：%1（多个文件转换后同名：%2）").arg(source, destinationName));
            continue;
        }
        qDebug() << "imageFormatConvert" << source << destination;
        const FileConverter::Result result = FileConverter::convert(source, destination, target, m_tiffLzw);
        switch (result.outcome) {
        case FileConverter::Outcome::Done:
            ++summary.succeeded;
            break;
        case FileConverter::Outcome::Skipped:
            ++summary.skipped;
            report(hooks, summary, QStringLiteral("跳过：%1（%2）").arg(source, result.reason));
            break;
        case FileConverter::Outcome::Failed:
            ++summary.failed;
            report(hooks, summary, QStringLiteral("失败：%1（%2）").arg(source, result.reason));
            break;
        }
    }
}

void ConvertRunner::mergeFolder(const QString& folder, const QStringList& names,
                                Operation operation, const Hooks& hooks,
                                ConvertSummary& summary) const
{
    if (names.isEmpty())
        return;
    QStringList sources;
    for (const QString& name : names)
        sources.append(QStringLiteral("%1/%2/%3").arg(m_root, folder, name));
    const QString destination = mergedPath(m_root, folder, operation);
    const QFileInfo existing(destination);
    // An earlier merge (or any other file of that name) is never replaced.
    if (existing.exists() || existing.isSymLink()) {
        ++summary.skipped;
        report(hooks, summary, QStringLiteral("跳过：%1（目标文件已存在）").arg(destination));
        return;
    }
    PageMerge::Options options;
    options.format =
        operation == Operation::MergePdf ? PageMerge::Format::Pdf : PageMerge::Format::Tiff;
    options.pdfa = m_pdfa && operation == Operation::MergePdf;
    if (operation == Operation::MergePdf)
        qDebug() << "ImageMagickHelper::images2Pdf" << sources.size() << destination;
    const PageMerge::Result result = PageMerge::merge(sources, destination, options);
    if (result.ok) {
        ++summary.succeeded;
        return;
    }
    ++summary.failed;
    report(hooks, summary, QStringLiteral("失败：%1（%2）").arg(destination, result.error));
}
