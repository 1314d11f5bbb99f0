// Start-up of the scanner connection as the window does it: a ScanSession is
// created and initialised, and the time until its device list arrives (the
// manager loaded, SANE initialised, the sources listed) is printed, best of
// a few runs and the first (cold) run. Set SANE_CONFIG_DIR and TARVO_TWAIN_DSM
// as bench/scan_vs_scanimage.sh does.

#include "ScanSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

double oneStart(int* devices)
{
    QElapsedTimer clock;
    clock.start();
    ScanSession session;
    QEventLoop loop;
    QObject::connect(&session, &ScanSession::sourcesListed, &loop,
                     [&](const QStringList& names) {
                         *devices = names.size();
                         loop.quit();
                     });
    QObject::connect(&session, &ScanSession::managerMissing, &loop, [&] {
        *devices = -1;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    // Any non-null handle stands for the window; the manager only keeps it.
    session.initialise(WId(1));
    loop.exec();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false");
    int devices = 0;
    const double cold = oneStart(&devices);
    double best = cold;
    for (int i = 0; i < 5; ++i)
        best = std::min(best, oneStart(&devices));
    std::printf("%-40s %8s\n", "scanner connection start-up", "ms");
    std::printf("%-40s %8.1f\n", "first start (devices listed)", cold);
    std::printf("%-40s %8.1f\n", "best of five further starts", best);
    std::printf("%-40s %8d\n", "devices listed", devices);
    return devices > 0 ? 0 : 1;
}
