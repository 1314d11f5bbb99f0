#include "ToolsCommand.h"

#include "ConsoleStreams.h"
#include "ConvertCommand.h"
#include "StatsCommand.h"

namespace ToolsCommand {
namespace {

struct Subcommand
{
    const char* name;
    const char* usage;
    // Receives the arguments from the subcommand's name on.
    int (*run)(const QStringList& arguments);
};

const Subcommand kSubcommands[] = {
    {"convert", "convert --to jpg|tif [--lzw] DATADIR", ConvertCommand::convert},
    {"merge", "merge --to pdf|tif [--pdfa] DATADIR", ConvertCommand::merge},
    {"stats", "stats [--tolerance MM] [--xlsx OUT] [--csv OUT] DIR", StatsCommand::stats},
};

int usage()
{
    consoleErr() << "usage:\n";
    for (const Subcommand& command : kSubcommands)
        consoleErr() << "  tarvo-tools " << command.usage << '\n';
    consoleErr().flush();
    return UsageError;
}

} // namespace

int run(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return usage();
    for (const Subcommand& command : kSubcommands) {
        if (arguments.at(1) == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    }
    consoleErr() << "unknown command: " << arguments.at(1) << '\n';
    return usage();
}

} // namespace ToolsCommand
