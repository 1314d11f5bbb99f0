// tarvo-tools: the archive tools without the main window (see ToolsCommand).

#include "ToolsCommand.h"

#include <QByteArray>
#include <QCoreApplication>
#include <cstdio>

namespace {

bool verbose = false;

// Log lines go to stderr so stdout carries only progress and the summary.
void printMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg && !verbose)
        return;
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvo"));
    QStringList arguments = QCoreApplication::arguments();
    verbose = arguments.removeAll(QStringLiteral("--verbose")) > 0;
    qInstallMessageHandler(printMessage);
    return ToolsCommand::run(arguments);
}
