#include "LogHandler.h"

#include "AppPaths.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {

// The one lock shared by every thread that logs: held from the time stamp
// until the file is closed, so lines never interleave.
QMutex& logMutex()
{
    static QMutex mutex;
    return mutex;
}

std::function<QDateTime()>& clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// Set while this thread writes a line, so a message raised by the writing
// itself is dropped instead of dead-locking on the log mutex.
thread_local bool tWriting = false;

void messageHandler(QtMsgType, const QMessageLogContext&, const QString& text)
{
    LogHandler::write(text);
}

} // namespace

void LogHandler::install()
{
    qInstallMessageHandler(messageHandler);
}

void LogHandler::write(const QString& text)
{
    if (tWriting)
        return;
    tWriting = true;
    {
        QMutexLocker lock(&logMutex());
        const QDateTime now = clockFunction() ? clockFunction()() : QDateTime::currentDateTime();
        const QString dir = AppPaths::logDir();
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/log") + now.toString(QStringLiteral("yyyyMMdd")) +
                   QStringLiteral(".txt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            // UTF-8 always, so Chinese messages survive a non-UTF-8 locale.
            const QString line =
                now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char(' ') + text;
            file.write(line.toUtf8());
            file.write("\r\n", 2);
            file.close();
        }
    }
    tWriting = false;
}

void LogHandler::setClock(std::function<QDateTime()> clock)
{
    QMutexLocker lock(&logMutex());
    clockFunction() = std::move(clock);
}
