// tarvo-archive: the item list work without a window (see SplitCommand, CheckCommand).

#include "CheckCommand.h"
#include "ConsoleStreams.h"
#include "SplitCommand.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvo"));
    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == QLatin1String("split")) {
        arguments.removeAt(1);
        return SplitCommand::run(arguments);
    }
    if (command == QLatin1String("check")) {
        arguments.removeAt(1);
        return CheckCommand::run(arguments);
    }
    consoleErr() << "用法：tarvo-archive split --help 或 tarvo-archive check --help\n";
    consoleErr().flush();
    return SplitCommand::UsageError;
}
