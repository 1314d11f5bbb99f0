#include "BatchCommand.h"

#include "AppPaths.h"
#include "BatchJob.h"
#include "BatchRunner.h"
#include "BatchSettings.h"
#include "ConsoleStreams.h"
#include "DirListing.h"
#include "FileTableModel.h"
#include "OperationRegistry.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

namespace {

bool readList(const QString& listPath, QStringList& names)
{
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            names.append(line);
    }
    return true;
}

void printList(const QString& title, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    consoleOut() << title << paths.size() << '\n';
    for (const QString& path : paths)
        consoleOut() << "  " << QDir::toNativeSeparators(path) << '\n';
}

} // namespace

bool BatchCommand::parseActions(const QString& text, QList<int>& ids, QString* bad)
{
    ids.clear();
    const QStringList tokens =
        text.split(QRegularExpression(QStringLiteral("[,，]")), Qt::SkipEmptyParts);
    for (const QString& raw : tokens) {
        const QString token = raw.trimmed();
        if (token.isEmpty())
            continue;
        bool isNumber = false;
        const int number = token.toInt(&isNumber);
        const OperationInfo* info =
            isNumber ? OperationRegistry::byId(number) : OperationRegistry::byLabel(token);
        if (!info || !OperationRegistry::isBatch(info->id)) {
            if (bad)
                *bad = token;
            ids.clear();
            return false;
        }
        ids.append(info->id);
    }
    return true;
}

QStringList BatchCommand::namedFiles(const QString& folder, const QStringList& names)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : names) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty())
            paths.append(QDir::cleanPath(dir.absoluteFilePath(trimmed)));
    }
    return paths;
}

QStringList BatchCommand::folderFiles(const QString& folder)
{
    QStringList paths;
    const QFileInfoList entries = DirListing::sortedEntries(
        folder, FileTableModel::imageNameFilters(), QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries)
        paths.append(entry.absoluteFilePath());
    return paths;
}

int BatchCommand::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Applies batch actions to the image files of FOLDER (by default all of them,\n"
        "none of its sub-folders) and writes each file back.\n"
        "\n"
        "Each page is read with its resolution, the actions are applied in the given\n"
        "order, and the page is rewritten in place, in its own format, with its\n"
        "resolution (or the settings' DPI when the DPI action is in the list). The new\n"
        "content goes to a hidden temporary file beside the page and replaces the page\n"
        "only once it is complete. With an empty action list every readable page is\n"
        "decoded and written again unchanged.\n"
        "  - A page that cannot be read is left as it was and listed as skipped.\n"
        "  - A page that cannot be written (read-only, or a format without an encoder)\n"
        "    keeps its original and is listed as failed.\n"
        "  - A page on which an action fails is still written, with the other actions\n"
        "    applied, and is listed.\n"
        "  - Page numbers (action 43) are stamped in a second pass after every page is\n"
        "    written; a page that could not be numbered is listed.\n"
        "Before the run, hidden temporary files that a killed run left beside the\n"
        "pages are removed.\n"
        "\n"
        "Exit status: 0 every page succeeded; 1 any page skipped, failed or not fully\n"
        "processed; 2 usage error (nothing is written)."));
    parser.addHelpOption();
    const QCommandLineOption settingsOption(
        QStringLiteral("settings"),
        QStringLiteral("Parameters from this settings.ini (default: the program's own)."),
        QStringLiteral("file"));
    const QCommandLineOption filesOption(QStringLiteral("files"),
                                         QStringLiteral("Only these files, comma-separated."),
                                         QStringLiteral("names"));
    const QCommandLineOption listOption(
        QStringLiteral("list"),
        QStringLiteral("Only the files named in this text file, one a line."),
        QStringLiteral("file"));
    const QCommandLineOption actionsOption(
        QStringLiteral("actions"),
        QStringLiteral("Actions in order, by identifier or label (e.g. 11,向右旋转); empty: none."),
        QStringLiteral("list"));
    const QCommandLineOption workersOption(
        QStringLiteral("workers"), QStringLiteral("Files processed at once (default: per core)."),
        QStringLiteral("n"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Also print the debug log."));
    parser.addOptions(
        {settingsOption, filesOption, listOption, actionsOption, workersOption, verboseOption});
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Folder of the pages."));

    if (!parser.parse(arguments)) {
        consoleErr() << parser.errorText() << '\n';
        return UsageError;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        consoleOut() << parser.helpText();
        return Success;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        consoleErr() << "exactly one FOLDER is needed\n" << parser.helpText();
        return UsageError;
    }
    const QString folder = positional.first();
    if (!QFileInfo(folder).isDir()) {
        consoleErr() << "not a folder: " << folder << '\n';
        return UsageError;
    }
    if (!parser.isSet(actionsOption)) {
        consoleErr() << "--actions is needed (an empty list rewrites the files unchanged)\n";
        return UsageError;
    }
    if (parser.isSet(filesOption) && parser.isSet(listOption)) {
        consoleErr() << "--files and --list exclude each other\n";
        return UsageError;
    }

    QList<int> actions;
    QString badAction;
    if (!parseActions(parser.value(actionsOption), actions, &badAction)) {
        consoleErr() << "not a batch action: " << badAction << '\n';
        return UsageError;
    }

    QStringList files;
    if (parser.isSet(filesOption)) {
        files = namedFiles(folder, parser.value(filesOption).split(QLatin1Char(',')));
    } else if (parser.isSet(listOption)) {
        QStringList names;
        if (!readList(parser.value(listOption), names)) {
            consoleErr() << "cannot read list: " << parser.value(listOption) << '\n';
            return UsageError;
        }
        files = namedFiles(folder, names);
    } else {
        files = folderFiles(folder);
    }

    BatchJob job;
    const QString settingsPath =
        parser.isSet(settingsOption) ? parser.value(settingsOption) : AppPaths::settingsFile();
    if (!BatchSettings::read(settingsPath, job) && parser.isSet(settingsOption)) {
        consoleErr() << "cannot read settings: " << settingsPath << '\n';
        return UsageError;
    }
    job.files = files;
    job.actions = actions;
    if (parser.isSet(workersOption)) {
        bool ok = false;
        job.workers = parser.value(workersOption).toInt(&ok);
        if (!ok || job.workers < 1) {
            consoleErr() << "--workers needs a positive number\n";
            return UsageError;
        }
    }

    const BatchSummary summary = BatchRunner::run(job, [](const QString& text) {
        consoleOut() << text << '\n';
        consoleOut().flush();
    });

    consoleOut() << QStringLiteral("已处理：%1/%2\n").arg(summary.processed).arg(summary.total);
    printList(QStringLiteral("跳过（无法读取）："), summary.skipped);
    printList(QStringLiteral("失败（未写入，原文件保留）："), summary.failed);
    printList(QStringLiteral("动作未生效："), summary.actionFailures);
    if (actions.contains(43))
        consoleOut() << QStringLiteral("已签注页码：%1\n").arg(summary.stamped);
    printList(QStringLiteral("页码未写入："), summary.stampFailures);
    consoleOut().flush();
    return summary.allSucceeded() ? Success : SomeFilesFailed;
}
