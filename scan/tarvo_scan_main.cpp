// tarvo-scan: scanning without the main window (see ScanCommand).

#include "ScanCommand.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// The log goes to stderr so stdout carries only progress and the summary.
void printMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

int main(int argc, char* argv[])
{
    // The window the manager is opened with is never shown: no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tarvo"));
    qInstallMessageHandler(printMessage);
    return ScanCommand::run(QGuiApplication::arguments());
}
