#pragma once

#include <QString>
#include <QStringList>

// What a conversion or merge run did, counted per file (per output file for merges).
struct ConvertSummary
{
    int succeeded = 0;
    int skipped = 0; // left alone on purpose: a name already taken, a multi-page file to JPG
    int failed = 0;  // could not be read, was damaged, or its output could not be written
    bool cancelled = false;
    QStringList problems; // one line per skipped or failed file, for the operator

    bool allSucceeded() const { return skipped == 0 && failed == 0; }
    // "完成：成功 %1，跳过 %2，失败 %3"
    QString text() const
    {
        return QStringLiteral("完成：成功 %1，跳过 %2，失败 %3")
            .arg(succeeded)
            .arg(skipped)
            .arg(failed);
    }
};
