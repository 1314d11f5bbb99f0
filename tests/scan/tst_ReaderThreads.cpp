// The backend's reader threads are told apart from the threads that were there
// before the frame started, and the wait ends only once they have ended.
#include "dsm/ReaderThreads.h"

#include <QtTest>
#include <atomic>
#include <thread>

class ReaderThreadsTest : public QObject
{
    Q_OBJECT

private slots:
    void waitsOnlyForThreadsStartedWithTheFrame()
    {
        std::atomic<bool> release{false}, releaseOld{false};
        auto waitFor = [](std::atomic<bool>& flag) {
            while (!flag)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        std::thread before([&] { waitFor(releaseOld); });
        ReaderThreads readers;
        readers.beforeStart();
        std::thread reader([&] { waitFor(release); });
        readers.afterStart();

        // The reader still runs: the wait gives up after its time.
        QVERIFY(!readers.waitForEnd(20));
        release = true;
        reader.join();
        // Ended; the thread that was there before does not count.
        QVERIFY(readers.waitForEnd(2000));
        releaseOld = true;
        before.join();
    }
};

QTEST_GUILESS_MAIN(ReaderThreadsTest)
#include "tst_ReaderThreads.moc"
