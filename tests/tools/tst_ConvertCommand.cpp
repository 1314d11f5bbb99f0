#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageMerge.h"
#include "PageTestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/resource.h>
#include <unistd.h>

using namespace MergeTestFiles;

// tarvo-tools convert and merge as a script runs them: exit statuses, output,
// and the memory a long merge takes.
class TestConvertCommand : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    static int tools(const QStringList& arguments, QByteArray* out = nullptr)
    {
        QProcess process;
        process.start(QStringLiteral(TARVO_TOOLS_EXE), arguments);
        if (!process.waitForFinished(300000))
            return -1;
        if (out)
            *out = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<int>("status");
        QTest::newRow("no command") << QStringList{} << false << 2;
        QTest::newRow("bad format") << QStringList{"convert", "--to", "gif", "D"} << false << 2;
        QTest::newRow("missing folder")
            << QStringList{"merge", "--to", "pdf", "D/none"} << false << 2;
        QTest::newRow("pdfa on tif")
            << QStringList{"merge", "--to", "tif", "--pdfa", "D"} << false << 2;
        QTest::newRow("convert lzw ok")
            << QStringList{"convert", "--to", "tif", "--lzw", "D"} << false << 0;
        QTest::newRow("merge ok") << QStringList{"merge", "--to", "pdf", "--pdfa", "D"} << false
                                  << 0;
        QTest::newRow("convert, damaged")
            << QStringList{"convert", "--to", "tif", "D"} << true << 1;
        QTest::newRow("merge, damaged") << QStringList{"merge", "--to", "tif", "D"} << true << 1;
    }
    void exitStatuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, damaged);
        QFETCH(int, status);
        QTemporaryDir data;
        QVERIFY(QDir().mkpath(data.filePath("0001")));
        writeJpeg(data.filePath("0001/1.jpg"), 40, 30, 300);
        PageTestFiles::writePage(data.filePath("0001/2.png"));
        if (damaged)
            truncate(writeJpeg(data.filePath("0001/3.jpg"), 600, 400, 300));
        arguments.replaceInStrings(QRegularExpression("^D"), data.path());
        QByteArray out;
        QCOMPARE(tools(arguments, &out), status);
        if (status == 2)
            return;
        QVERIFY(out.contains("处理中：0001"));
        QVERIFY(out.contains(damaged ? "失败 1" : "失败 0"));
    }

    // A long merge holds one page at a time. Measured as the largest resident
    // size of a child (this test starts no other heavy one before).
    void threeHundredPagesInBoundedMemory()
    {
        const QString folder = m_dir.filePath("big/0001");
        QVERIFY(QDir().mkpath(folder));
        const QString page = writeJpeg(m_dir.filePath("a4.jpg"), 2480, 3508, 300);
        for (int i = 0; i < 300; ++i) {
            const QString name = folder + QStringLiteral("/%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
            QCOMPARE(
                ::link(QFile::encodeName(page).constData(), QFile::encodeName(name).constData()),
                0);
        }
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(tools({"merge", "--to", "pdf", m_dir.filePath("big")}), 0);
        const QString pdf = m_dir.filePath("big/0001.pdf");
        QCOMPARE(PageMerge::countPages(pdf, PageMerge::Format::Pdf), 300);
        struct rusage usage;
        QCOMPARE(getrusage(RUSAGE_CHILDREN, &usage), 0);
        const long peakMb = usage.ru_maxrss / 1024;
        qInfo() << "300 A4 pages:" << timer.elapsed() << "ms, peak" << peakMb << "MB";
        QVERIFY2(peakMb < 100, qPrintable(QString::number(peakMb)));
        const double ratio = double(QFileInfo(pdf).size()) / (300.0 * QFileInfo(page).size());
        QVERIFY2(ratio < 1.001, qPrintable(QString::number(ratio)));
    }
};

QTEST_GUILESS_MAIN(TestConvertCommand)
#include "tst_ConvertCommand.moc"
