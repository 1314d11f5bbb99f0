#include "ConvertCommand.h"

#include "ConsoleStreams.h"
#include "ConvertRunner.h"
#include "FolderImages.h"
#include "ToolsCommand.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <atomic>
#include <csignal>

namespace ConvertCommand {
namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int)
{
    interrupted = true;
}

int usageError(const QString& message)
{
    consoleErr() << message << '\n';
    consoleErr().flush();
    return ToolsCommand::UsageError;
}

int runOperation(const QStringList& arguments, bool merging)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("format"));
    const QCommandLineOption pdfa(QStringLiteral("pdfa"));
    const QCommandLineOption lzw(QStringLiteral("lzw"));
    parser.addOption(to);
    parser.addOption(merging ? pdfa : lzw);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    const QString format = parser.value(to).toLower();
    const QStringList allowed = merging ? QStringList{QStringLiteral("pdf"), QStringLiteral("tif")}
                                        : QStringList{QStringLiteral("jpg"), QStringLiteral("tif")};
    if (!allowed.contains(format))
        return usageError(QStringLiteral("--to must be %1").arg(allowed.join(QLatin1Char('|'))));
    if (parser.positionalArguments().size() != 1)
        return usageError(QStringLiteral("one DATADIR expected"));
    if (merging && parser.isSet(pdfa) && format != QLatin1String("pdf"))
        return usageError(QStringLiteral("--pdfa needs --to pdf"));
    if (!merging && parser.isSet(lzw) && format != QLatin1String("tif"))
        return usageError(QStringLiteral("--lzw needs --to tif"));
    const QFileInfo dir(parser.positionalArguments().constFirst());
    if (!dir.isDir())
        return usageError(QStringLiteral("not a directory: %1").arg(dir.filePath()));

    using Operation = ConvertRunner::Operation;
    const Operation operation =
        merging ? (format == QLatin1String("pdf") ? Operation::MergePdf : Operation::MergeTif)
                : (format == QLatin1String("jpg") ? Operation::ToJpg : Operation::ToTif);
    const QString root = dir.absoluteFilePath();
    ConvertRunner runner(root, FolderImages::load(root));
    runner.setPdfa(merging && parser.isSet(pdfa));
    runner.setTiffLzw(!merging && parser.isSet(lzw));

    // Ctrl+C stops after the file in hand, as the dialog's cancel does.
    std::signal(SIGINT, onInterrupt);
    ConvertRunner::Hooks hooks;
    hooks.progress = [](const QString& text) { consoleOut() << text << Qt::endl; };
    hooks.problem = [](const QString& text) { consoleOut() << "  " << text << Qt::endl; };
    hooks.cancelled = [] { return interrupted.load(); };
    const ConvertSummary summary = runner.run(operation, hooks);
    std::signal(SIGINT, SIG_DFL);
    if (summary.cancelled)
        consoleOut() << "已取消" << '\n';
    consoleOut() << summary.text() << Qt::endl;
    return summary.allSucceeded() && !summary.cancelled ? ToolsCommand::Success
                                                        : ToolsCommand::SomeFilesFailed;
}

} // namespace

int convert(const QStringList& arguments)
{
    return runOperation(arguments, false);
}

int merge(const QStringList& arguments)
{
    return runOperation(arguments, true);
}

} // namespace ConvertCommand
