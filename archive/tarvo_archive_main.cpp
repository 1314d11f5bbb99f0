// tarvo-archive: the item list work without a window (see SplitCommand).

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
    consoleErr() << "用法：tarvo-archive split --help\n";
    consoleErr().flush();
    return SplitCommand::UsageError;
}
