// The main window's scanner start-up: a missing manager is told once with the
// notice box, and a window closes at once while its session is busy.

#include "../app/ModalDriver.h"
#include "ScanSession.h"
#include "ScannerStartup.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestScannerStartup : public QObject
{
    Q_OBJECT

private slots:
    void missingManagerIsToldOnce()
    {
        QTemporaryDir tmp;
        const QByteArray saved = qgetenv("TARVO_TWAIN_DSM");
        qputenv("TARVO_TWAIN_DSM", QFile::encodeName(tmp.path() + "/libnone.so"));
        QStringList shown;
        QTimer* driver = whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box)
                shown << box->windowTitle() + "|" + box->text();
            modal->close();
            return false; // keep watching: a second box would be a fault
        });
        {
            QWidget window;
            ScanSession* session = ScannerStartup::start(&window);
            QVERIFY(session && session->parent() == &window);
            QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
            QTest::qWait(300);
        }
        delete driver;
        qputenv("TARVO_TWAIN_DSM", saved);
        QCOMPARE(shown, QStringList{"提示|加载扫描仪驱动失败：TWAINDSM.DLL"});
    }

    void windowClosesWhileDevicesAreProbed()
    {
        QElapsedTimer clock;
        clock.start();
        {
            QWidget window;
            ScanSession* session = ScannerStartup::start(&window);
            QVERIFY(session->twainThread()->isRunning());
        }
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestScannerStartup)
#include "tst_ScannerStartup.moc"
