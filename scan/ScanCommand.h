#pragma once

#include "stScanJob.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

// Scanning without the main window: lists the scanners, or scans pages
// straight into a folder with the scanner panel's choices.
//
//   tarvo-scan --list
//   tarvo-scan --device NAME [--adf] [--duplex] [--colour 彩色|灰度图|黑白] [--dpi N]
//              [--size 自动|A5|A4|A3|A2|A1|B5|B4] [--format .jpg|.bmp|.tif|.tiff]
//              [--quality 高|中|低] [--prefix P] [--suffix S] [--length N] [--next N]
//              [--count N] [--mode append] FOLDER
class ScanCommand
{
public:
    enum ExitStatus
    {
        Success = 0,
        SomePagesFailed = 1, // the scan stopped before every page was placed
        UsageError = 2,
    };

    // arguments as QCoreApplication::arguments() gives them (program first).
    // Needs a QGuiApplication (the manager is opened with a window).
    static int run(const QStringList& arguments);

    // The panel's settings from the parsed options (defaults for the omitted
    // ones); false with the reason in *error.
    static bool readSettings(const QCommandLineParser& parser, stScanJob& job, QString* error);

    // The folder's largest running number over its image files + 1.
    static int nextCodeIn(const QString& folder);
};
