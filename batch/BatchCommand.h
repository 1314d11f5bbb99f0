#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The headless batch: parses a command line, runs the batch runner over the
// image files of a folder (or the named ones) and prints progress and a
// summary. Needs a QGuiApplication when page numbers are stamped.
//
//   tarvo-batch [--settings settings.ini] [--files a.jpg,b.jpg | --list files.txt]
//               --actions 11,向右旋转,... [--workers N] [--verbose] FOLDER
class BatchCommand
{
public:
    enum ExitStatus
    {
        Success = 0,
        SomeFilesFailed = 1, // skipped, not written, an action or a page number not applied
        UsageError = 2,
    };

    // arguments as QCoreApplication::arguments() gives them (program first).
    static int run(const QStringList& arguments);

    // Identifiers or labels ("11", "向右旋转", "IMG_OPT_ROTATE_RIGHT"),
    // separated by ',' or '，'; only the batch list's operations are accepted.
    // False with the offending token in *bad.
    static bool parseActions(const QString& text, QList<int>& ids, QString* bad = nullptr);

    // Full paths: the named files (relative names taken inside folder), or
    // every image file of folder in the file list's order.
    static QStringList namedFiles(const QString& folder, const QStringList& names);
    static QStringList folderFiles(const QString& folder);
};
