// tarvo-batch: the batch run without the main window (see BatchCommand).

#include "BatchCommand.h"
#include "ConsoleStreams.h"

#include <QGuiApplication>
#include <malloc.h>

int main(int argc, char* argv[])
{
    // Every page allocates and frees the same few page-sized buffers. Kept in
    // one heap instead of being mapped and unmapped each time, they are not
    // faulted in afresh for every page (a fifth of the run otherwise).
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
    // Page numbers are painted with the font database, which needs a GUI
    // application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The program's own name, so the per-user settings it falls back to are the same.
    QGuiApplication::setApplicationName(QStringLiteral("tarvo"));
    const QStringList arguments = QGuiApplication::arguments();
    installConsoleLog(arguments.contains(QStringLiteral("--verbose")));
    return BatchCommand::run(arguments);
}
