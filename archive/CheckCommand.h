#pragma once

#include <QStringList>

// The quality check without a window: matches the item folders under a data
// folder against an item list whose columns are named by header text, the
// same match the entry import dialog runs. Every mismatch is one line on
// stdout, a summary closes the run; the records are exported when asked.
//
//   tarvo-archive check --list BOOK.xlsx [--sheet NAME] --type 案卷|一文一件
//       --archive-col TEXT --count-col TEXT [--page-col TEXT] [--case-col TEXT]
//       [--rule RULE] [--check-pages] [--xlsx OUT] DATADIR
class CheckCommand
{
public:
    enum ExitStatus
    {
        Consistent = 0,
        Mismatched = 1, // an item failed or mismatched, or the export failed
        UsageError = 2,
    };

    // arguments: the program name, then everything after "check".
    static int run(const QStringList& arguments);
};
