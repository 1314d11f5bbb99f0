// tarvo-tools: the archive tools without the main window (see ToolsCommand).

#include "ToolsCommand.h"
#include "ConsoleStreams.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvo"));
    QStringList arguments = QCoreApplication::arguments();
    installConsoleLog(arguments.removeAll(QStringLiteral("--verbose")) > 0);
    return ToolsCommand::run(arguments);
}
