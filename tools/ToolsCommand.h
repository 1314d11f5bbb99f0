#pragma once

#include <QStringList>

// "tarvo-tools SUBCOMMAND ...": the archive tools without the main window. Each
// subcommand is a function of its own file, listed in one table here.
namespace ToolsCommand {

enum ExitStatus
{
    Success = 0,
    SomeFilesFailed = 1, // a file failed or was skipped
    UsageError = 2,
};

// arguments as QCoreApplication::arguments() gives them (program first).
int run(const QStringList& arguments);

} // namespace ToolsCommand
