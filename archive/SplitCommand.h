#pragma once

#include <QStringList>

// The splitting tool without a window: copies the pages of case-file folders
// into item folders built by the storage rule, by an item list whose columns
// are named by header text. Every check runs before the first copy.
//
//   tarvo-archive split --list BOOK.xlsx [--sheet NAME] --by count|pageno
//       --archive-col TEXT --count-col TEXT [--page-col TEXT] [--case-col TEXT]
//       [--rule RULE] [--rename] [--check-pages] --out DIR FOLDER...
class SplitCommand
{
public:
    enum ExitStatus
    {
        Success = 0,
        Failed = 1, // a check refused the list, or a copy failed
        UsageError = 2,
    };

    // arguments: the program name, then everything after "split".
    static int run(const QStringList& arguments);
};
