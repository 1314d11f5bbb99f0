#include "StatsCommand.h"

#include "ConsoleStreams.h"
#include "PageFormat.h"
#include "StatsExport.h"
#include "StatsScanner.h"
#include "ToolsCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace StatsCommand {
namespace {

int usageError(const QString& message)
{
    consoleErr() << message << '\n';
    consoleErr().flush();
    return ToolsCommand::UsageError;
}

void printTotals(const StatsTotals& totals)
{
    QTextStream& out = consoleOut();
    out << QStringLiteral("文件个数 ") << totals.fileCount << QStringLiteral("，页数 ")
        << totals.pages << QStringLiteral("，大小 ") << StatsExport::sizeText(totals.bytes, false)
        << '\n';
    for (const PageFormat::Format& format : PageFormat::table())
        out << format.name << ' ' << totals.counts.value(format.name) << '\n';
    out << QStringLiteral("折合A4 ") << totals.a4Equivalent() << '\n';
    out << QStringLiteral("无分辨率 ") << totals.noResolution << '\n';
    out << QStringLiteral("多页文件 ") << totals.multiPageFiles << '\n';
    for (auto it = totals.byResolution.constBegin(); it != totals.byResolution.constEnd(); ++it)
        out << "  " << it.key() << ' ' << it.value() << '\n';
    out << QStringLiteral("低于") << StatsScanner::kMinimumDpi << "dpi " << totals.underMinimumDpi
        << Qt::endl;
}

} // namespace

int stats(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption tolerance(QStringLiteral("tolerance"), QString(),
                                       QStringLiteral("mm"));
    const QCommandLineOption xlsx(QStringLiteral("xlsx"), QString(), QStringLiteral("file"));
    const QCommandLineOption csv(QStringLiteral("csv"), QString(), QStringLiteral("file"));
    parser.addOptions({tolerance, xlsx, csv});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    int toleranceMm = kDefaultToleranceMm;
    if (parser.isSet(tolerance)) {
        bool ok = false;
        toleranceMm = parser.value(tolerance).toInt(&ok);
        if (!ok || toleranceMm < 0 || toleranceMm > 99)
            return usageError(QStringLiteral("--tolerance must be 0 to 99 (mm)"));
    }
    if (parser.positionalArguments().size() != 1)
        return usageError(QStringLiteral("one DIR expected"));
    const QFileInfo dir(parser.positionalArguments().constFirst());
    if (!dir.isDir())
        return usageError(QStringLiteral("not a directory: %1").arg(dir.filePath()));

    DirStat root;
    root.path = dir.absoluteFilePath();
    root.name = QDir(root.path).dirName();
    int unreadable = 0;
    StatsScanner::Hooks hooks;
    hooks.progress = [](const QString& name) { consoleOut() << name << '\n'; };
    hooks.problem = [&unreadable](const QString& line) {
        ++unreadable;
        consoleErr() << line << Qt::endl;
    };
    StatsScanner scanner(toleranceMm, {});
    const StatsTotals totals = scanner.scan(root, hooks);
    printTotals(totals);

    bool exported = true;
    QString reason;
    if (parser.isSet(xlsx) &&
        !StatsExport::writeXlsx(parser.value(xlsx), root, totals, false, &reason)) {
        consoleErr() << QStringLiteral("导出失败：") << parser.value(xlsx) << ' ' << reason
                     << Qt::endl;
        exported = false;
    }
    if (parser.isSet(csv) &&
        !StatsExport::writeCsv(parser.value(csv), root, totals, false, &reason)) {
        consoleErr() << QStringLiteral("导出失败：") << parser.value(csv) << ' ' << reason
                     << Qt::endl;
        exported = false;
    }
    return unreadable == 0 && exported ? ToolsCommand::Success : ToolsCommand::SomeFilesFailed;
}

} // namespace StatsCommand
