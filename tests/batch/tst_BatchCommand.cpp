// tarvo-batch end to end: folder listing, named files, settings, exit status.
#include "PageFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <opencv2/imgproc.hpp>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
};

Outcome runBatch(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the command picks offscreen itself
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TARVO_BATCH_EXE), arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput())};
}

QString makePage(const QString& path, int dpi = 300)
{
    cv::Mat mat(160, 120, CV_8UC3, cv::Scalar(240, 240, 240));
    cv::putText(mat, "No. 7", {10, 80}, cv::FONT_HERSHEY_SIMPLEX, 1.0, cv::Scalar(30, 30, 30), 2);
    PageFile::saveWithDensity(mat, path, dpi, dpi);
    return path;
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QSize sizeOf(const QString& path)
{
    const PageInfo info = PageFile::readInfo(path);
    return QSize(info.width, info.height);
}

} // namespace

class TestBatchCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeFolderInListingOrder();
    void namedFiles();
    void settingsFileSuppliesParameters();
    void pageNumbersWithoutView();
    void usageErrors_data();
    void usageErrors();

private:
    QTemporaryDir m_dir;
    QString m_settings;
};

void TestBatchCommand::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(TARVO_BATCH_EXE)).isExecutable());
    m_settings = m_dir.filePath(QStringLiteral("empty.ini"));
    writeText(m_settings, "[settings]\n");
}

void TestBatchCommand::wholeFolderInListingOrder()
{
    QTemporaryDir dir(m_dir.filePath(QStringLiteral("档案 A-XXXXXX")));
    makePage(dir.filePath(QStringLiteral("b 页.jpg")));
    makePage(dir.filePath(QStringLiteral("A.png")));
    writeText(dir.filePath(QStringLiteral("c.jpg")), "broken");
    writeText(dir.filePath(QStringLiteral("notes.txt")), "not a page");
    const Outcome outcome = runBatch({"--settings", m_settings, "--actions",
                                      QStringLiteral("向右旋转,2，向右旋转"), dir.path()});
    QCOMPARE(outcome.status, 1); // one file could not be read
    QVERIFY2(outcome.out.startsWith(QStringLiteral("1/3\n2/3\n已处理：2/3\n")),
             qPrintable(outcome.out));
    QVERIFY(outcome.out.contains(QStringLiteral("c.jpg")));
    // Three quarter turns, one to the right each.
    QCOMPARE(sizeOf(dir.filePath(QStringLiteral("A.png"))), QSize(160, 120));
    QCOMPARE(sizeOf(dir.filePath(QStringLiteral("b 页.jpg"))), QSize(160, 120));
}

void TestBatchCommand::namedFiles()
{
    QTemporaryDir dir;
    makePage(dir.filePath(QStringLiteral("一.jpg")));
    makePage(dir.filePath(QStringLiteral("two two.jpg")));
    makePage(dir.filePath(QStringLiteral("left.jpg")));
    const QString list = m_dir.filePath(QStringLiteral("list.txt"));
    writeText(list, QStringLiteral("# pages\n一.jpg\n\ntwo two.jpg\n").toUtf8());

    Outcome outcome = runBatch(
        {"--settings", m_settings, "--list", list, "--actions", "IMG_OPT_ROTATE_LEFT", dir.path()});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.startsWith(QStringLiteral("1/2\n2/2\n")), qPrintable(outcome.out));
    QCOMPARE(sizeOf(dir.filePath(QStringLiteral("一.jpg"))), QSize(160, 120));
    QCOMPARE(sizeOf(dir.filePath(QStringLiteral("left.jpg"))), QSize(120, 160));

    outcome = runBatch({"--settings", m_settings, "--files", "left.jpg," + dir.filePath("一.jpg"),
                        "--actions", "1", "--workers", "1", dir.path()});
    QCOMPARE(outcome.status, 0);
    QCOMPARE(sizeOf(dir.filePath(QStringLiteral("left.jpg"))), QSize(160, 120));
    QCOMPARE(sizeOf(dir.filePath(QStringLiteral("一.jpg"))), QSize(120, 160));
}

// Resolution for 54 and the colour text for 22 from the file; 22 without a
// stored colour is an action that did not apply, reported by the exit status.
void TestBatchCommand::settingsFileSuppliesParameters()
{
    QTemporaryDir dir;
    const QString page = makePage(dir.filePath(QStringLiteral("p.tif")), 300);
    const QString settings = m_dir.filePath(QStringLiteral("settings.ini"));
    writeText(settings, "[dpi]\ndpiX=200\ndpiY=150\n[image]\nbackground-color=250,250,240\n");
    Outcome outcome =
        runBatch({"--settings", settings, "--actions", "DPI调整,底色修改", dir.path()});
    QCOMPARE(outcome.status, 0);
    const PageInfo info = PageFile::readInfo(page);
    QCOMPARE(QPoint(info.dpiX, info.dpiY), QPoint(200, 150));

    outcome = runBatch({"--settings", m_settings, "--actions", "22", dir.path()});
    QCOMPARE(outcome.status, 1);
    QVERIFY(outcome.out.contains(QStringLiteral("动作未生效：1")));
}

void TestBatchCommand::pageNumbersWithoutView()
{
    QTemporaryDir dir;
    makePage(dir.filePath(QStringLiteral("1.png")));
    makePage(dir.filePath(QStringLiteral("2.png")));
    const Outcome outcome =
        runBatch({"--settings", m_settings, "--actions", "签注页码", dir.path()});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.out.contains(QStringLiteral("1.png\n2.png\n")), qPrintable(outcome.out));
    QVERIFY(outcome.out.contains(QStringLiteral("已签注页码：2")));
}

void TestBatchCommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString folder = QDir::tempPath();
    QTest::newRow("toolbar-only action") << QStringList{"--actions", "拉线纠斜", folder};
    QTest::newRow("unknown action") << QStringList{"--actions", "11,999", folder};
    QTest::newRow("no actions option") << QStringList{folder};
    QTest::newRow("no folder") << QStringList{"--actions", "1"};
    QTest::newRow("missing folder") << QStringList{"--actions", "1", folder + "/no such 目录"};
    QTest::newRow("files and list")
        << QStringList{"--actions", "1", "--files", "a.jpg", "--list", "l.txt", folder};
    QTest::newRow("unreadable list") << QStringList{"--actions", "1", "--list", "/no/list", folder};
    QTest::newRow("missing settings")
        << QStringList{"--settings", "/no/s.ini", "--actions", "1", folder};
    QTest::newRow("bad workers") << QStringList{"--workers", "0", "--actions", "1", folder};
}

void TestBatchCommand::usageErrors()
{
    QFETCH(QStringList, arguments);
    QCOMPARE(runBatch(arguments).status, 2);
}

QTEST_GUILESS_MAIN(TestBatchCommand)
#include "tst_BatchCommand.moc"
