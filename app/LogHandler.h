#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Routes every Qt log message, from any thread, into one text file a day
// ("log" + yyyyMMdd + ".txt" in AppPaths::logDir()). Each line is the local
// time, one blank, the text and CR LF; the file is opened and closed for every
// message so nothing is lost when the process dies.
class LogHandler
{
public:
    // Installs the handler as the process's Qt message handler.
    static void install();

    // Appends one line; failures (no folder, no file) lose the line silently.
    static void write(const QString& text);

    // Replaces the time source; an empty function restores the system clock.
    static void setClock(std::function<QDateTime()> clock);
};
