#include "ConsoleStreams.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

namespace {

bool g_showDebug = false;

void printMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg && !g_showDebug)
        return;
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

QTextStream& consoleOut()
{
    static QTextStream stream(stdout);
    stream.setCodec("UTF-8");
    return stream;
}

QTextStream& consoleErr()
{
    static QTextStream stream(stderr);
    stream.setCodec("UTF-8");
    return stream;
}

void installConsoleLog(bool showDebug)
{
    g_showDebug = showDebug;
    qInstallMessageHandler(printMessage);
}
