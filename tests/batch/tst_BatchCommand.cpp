// tarvo-batch end to end: folder listing, listed files, settings, exit status.
#include "BatchTestPages.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace BatchTestPages;

namespace {

// Exit status (-1 for a crash or a hang) and standard output.
std::pair<int, QString> runBatch(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the command picks offscreen itself
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TARVO_BATCH_EXE), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString()};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

int widthOf(const QString& path)
{
    return PageFile::readInfo(path).width;
}

} // namespace

class TestBatchCommand : public QObject
{
    Q_OBJECT

private slots:
    void wholeFolderWithAnUnreadablePage()
    {
        QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("档案 A-XXXXXX")));
        const QString settings = dir.filePath(QStringLiteral("empty.ini"));
        writeBytes(settings, "[settings]\n");
        const QString a = write(dir.filePath(QStringLiteral("A.png")), page(120, 160));
        const QString b = write(dir.filePath(QStringLiteral("b 页.jpg")), page(120, 160));
        writeBytes(dir.filePath(QStringLiteral("c.jpg")), "broken");
        const auto [status, out] = runBatch({"--settings", settings, "--actions",
                                             QStringLiteral("向右旋转,2，向右旋转"), dir.path()});
        QCOMPARE(status, 1); // one file could not be read
        QVERIFY2(out.startsWith(QStringLiteral("1/3\n2/3\n已处理：2/3\n")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("c.jpg")));
        // Three quarter turns, one to the right each.
        QCOMPARE(widthOf(a), 160);
        QCOMPARE(widthOf(b), 160);
    }

    // The list skips comments and blank lines; 54 takes its resolution from the settings.
    void listedFilesWithStoredSettings()
    {
        QTemporaryDir dir;
        const QString listed = write(dir.filePath(QStringLiteral("two two.tif")), page(120, 160));
        const QString left = write(dir.filePath(QStringLiteral("left.jpg")), page(120, 160));
        const QString list = dir.filePath(QStringLiteral("list.txt"));
        writeBytes(list, QStringLiteral("# pages\n\ntwo two.tif\n").toUtf8());
        const QString settings = dir.filePath(QStringLiteral("settings.ini"));
        writeBytes(settings, "[dpi]\ndpiX=200\ndpiY=150\n");
        const auto [status, out] = runBatch({"--settings", settings, "--list", list, "--actions",
                                             "IMG_OPT_ROTATE_LEFT,DPI调整", dir.path()});
        QCOMPARE(status, 0);
        QVERIFY2(out.startsWith(QStringLiteral("1/1\n")), qPrintable(out));
        const PageInfo info = PageFile::readInfo(listed);
        QCOMPARE(QSize(info.width, info.height), QSize(160, 120));
        QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(200, 150));
        QCOMPARE(widthOf(left), 120);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString folder = QDir::tempPath();
        QTest::newRow("toolbar-only action") << QStringList{"--actions", "拉线纠斜", folder};
        QTest::newRow("unknown action") << QStringList{"--actions", "11,999", folder};
        QTest::newRow("missing folder") << QStringList{"--actions", "1", folder + "/no such 目录"};
        QTest::newRow("missing settings")
            << QStringList{"--settings", "/no/s.ini", "--actions", "1", folder};
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(runBatch(arguments).first, 2);
    }
};

QTEST_GUILESS_MAIN(TestBatchCommand)
#include "tst_BatchCommand.moc"
