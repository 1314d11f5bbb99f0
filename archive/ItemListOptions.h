#pragma once

#include "ItemWorkbook.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

// The options both item-list commands take (the list, its sheet and the columns
// by header text) and the opening of the chosen sheet.
struct ItemListOptions
{
    QCommandLineOption list{QStringLiteral("list"), QStringLiteral("条目excel"),
                            QStringLiteral("BOOK.xlsx")};
    QCommandLineOption sheet{QStringLiteral("sheet"), QStringLiteral("sheet页（默认第一个）"),
                             QStringLiteral("NAME")};
    QCommandLineOption archiveCol{QStringLiteral("archive-col"), QStringLiteral("档号列"),
                                  QStringLiteral("TEXT")};
    QCommandLineOption countCol{QStringLiteral("count-col"), QStringLiteral("页数列"),
                                QStringLiteral("TEXT")};
    QCommandLineOption pageCol{QStringLiteral("page-col"), QStringLiteral("页号列"),
                               QStringLiteral("TEXT")};
    QCommandLineOption caseCol{QStringLiteral("case-col"), QStringLiteral("案卷档号列"),
                               QStringLiteral("TEXT"), QStringLiteral("案卷档号")};

    QList<QCommandLineOption> all() const
    {
        return {list, sheet, archiveCol, countCol, pageCol, caseCol};
    }

    // Loads the list and selects the sheet (the first when none is named);
    // false and why when either fails.
    bool open(const QCommandLineParser& parser, ItemWorkbook& book, QString* why) const;
};
