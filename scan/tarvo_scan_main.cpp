// tarvo-scan: scanning without the main window (see ScanCommand).

#include "ScanCommand.h"
#include "ConsoleStreams.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    // The window the manager is opened with is never shown: no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tarvo"));
    installConsoleLog(true);
    return ScanCommand::run(QGuiApplication::arguments());
}
