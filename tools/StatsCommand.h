#pragma once

#include <QStringList>

// The statistics tool on the command line: counts DIR's tree as the dialog
// does, prints the totals, and writes the workbook and/or CSV when asked.
// Directory names go to stdout as progress, unreadable files to stderr.
// Exit 0 when every file was counted and every export written, 1 when a file
// was unreadable or an export failed, 2 for a usage error.
//
//   tarvo-tools stats [--tolerance MM] [--xlsx OUT] [--csv OUT] DIR
namespace StatsCommand {

// The tolerance when none is given, in millimetres.
const int kDefaultToleranceMm = 1;

// arguments from the subcommand's name on.
int stats(const QStringList& arguments);

} // namespace StatsCommand
