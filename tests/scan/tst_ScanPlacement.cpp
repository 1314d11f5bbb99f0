#include "../imaging/ReadOnlyGuard.h"
#include "ScanPlacement.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// "name=content" for every entry under root, hidden ones and subfolders included.
QStringList listing(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(root).relativeFilePath(path);
        entries << (QFileInfo(path).isDir() ? name + "/" : name + "=" + readAll(path));
    }
    entries.sort();
    return entries;
}

// An archive folder, the private temporary folder the scanner writes into and
// the program's data folder, side by side; the desktop trash lives here too.
struct ScanBench
{
    QTemporaryDir root;

    explicit ScanBench(const QStringList& existing = {})
    {
        for (const char* dir : {"archive", "tmp", "data", "xdg"})
            QDir(root.path()).mkdir(dir);
        qputenv("XDG_DATA_HOME", path("xdg").toUtf8());
        for (const QString& name : existing)
            write(folder() + "/" + name, "old:" + name.toUtf8());
    }
    QString path(const QString& name) const { return root.filePath(name); }
    QString folder() const { return path("archive"); }
    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // Pages as a scanner leaves them: its own names and format.
    QStringList scan(int count) const
    {
        QStringList pages;
        for (int k = 1; k <= count; ++k) {
            pages << path("tmp") + QString("/scan-%1.bmp").arg(k, 2, 10, QChar('0'));
            write(pages.last(), "new:" + QByteArray::number(k));
        }
        return pages;
    }
    ScanPlacement::Job job(int mode, const QString& current, int pages, int nextCode = 1) const
    {
        ScanPlacement::Job job;
        job.mode = mode;
        job.folder = folder();
        job.currentFile = current;
        job.naming.codeLength = 4;
        job.naming.nextCode = nextCode;
        job.pages = scan(pages);
        job.recoveryRoot = path("data");
        return job;
    }
    QStringList trash() const { return listing(path("xdg/Trash/files")); }
    QString recovery() const
    {
        const QStringList made =
            QDir(path("data/scan-recovery")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        return made.size() == 1 ? path("data/scan-recovery/") + made.first() : QString();
    }
};

QStringList numbered(int from, int to, const QString& ext = ".jpg")
{
    QStringList result;
    for (int i = from; i <= to; ++i)
        result << QString("%1%2").arg(i, 4, 10, QChar('0')).arg(ext);
    return result;
}

// "code.jpg=new:k" for count pages whose codes start at first.
QStringList newPages(int first, int count)
{
    QStringList result;
    for (int k = 1; k <= count; ++k)
        result << QString("%1.jpg=new:%2").arg(first + k - 1, 4, 10, QChar('0')).arg(k);
    return result;
}

} // namespace

class tst_ScanPlacement : public QObject
{
    Q_OBJECT

private slots:
    void namingFollowsSelectedFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("length");
        const auto row = [](const char* name, const char* file, const char* prefix,
                            const char* suffix, int length) {
            QTest::newRow(name) << QString(file) << QString(prefix) << QString(suffix) << length;
        };
        row("archive code", "A01-0003.jpg", "A01-", "", 4);
        row("last number wins", "IMG_0012_v2.jpg", "IMG_0012_v", "", 1);
        row("text after the number", "p0007b.tif", "p", "b", 4);
        row("repeated digits", "12-12.jpg", "12-", "", 2);
        row("no number", "cover.jpg", "", "", 9);
    }
    void namingFollowsSelectedFile()
    {
        QFETCH(QString, name);
        ScanNaming current;
        current.prefix = "old";
        current.suffix = "old";
        current.nextCode = 42;
        current.extension = ".tiff";
        const ScanNaming naming = ScanNaming::fromFileName(name, current);
        QTEST(naming.prefix, "prefix");
        QTEST(naming.suffix, "suffix");
        QTEST(naming.codeLength, "length");
        QCOMPARE(naming.nextCode, 42);
        QCOMPARE(naming.extension, QString(".tiff"));
    }

    void namingValidation_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("nextCode");
        QTest::addColumn<QString>("message");
        const QString bad = "前缀或后缀中不能含有“/”、“\\”、“..”或控制字符";
        const QString longName = "文件名过长（超过255字节），请缩短前缀或后缀";
        const QString longPath = "文件路径过长，无法保存扫描页";
        const auto row = [](const char* name, const QString& prefix, const QString& suffix,
                            const QString& folder, int nextCode, const QString& message) {
            QTest::newRow(name) << prefix << suffix << folder << nextCode << message;
        };
        const QString archive = "/archive";
        row("fine", "A01-", "_v", archive, 1, "");
        row("slash", "a/b", "", archive, 1, bad);
        row("dot dot", "..", "", archive, 1, bad);
        row("no folder", "", "", "", 1, "请先在目录树选择图像文件的存放目录");
        // 3 + 244 + 4: exactly 255 bytes, then one more digit of the code.
        row("255 bytes", QString(244, 'a'), "", archive, 1234567, "");
        row("wide code", QString(245, 'a'), "", archive, 1234567, longName);
        // Three bytes a character in UTF-8: short in characters, long in bytes.
        row("utf-8 bytes", QString(83, QChar(0x6863)), "", archive, 1, longName);
        row("long path", "", "", "/" + QString(4090, 'd'), 1, longPath);
    }
    void namingValidation()
    {
        ScanNaming naming;
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QString, folder);
        naming.prefix = prefix;
        naming.suffix = suffix;
        naming.codeLength = 3;
        QFETCH(int, nextCode);
        naming.nextCode = nextCode;
        QTEST(naming.validate(folder), "message");
    }

    void nextCodeAfterLargestNumber()
    {
        QCOMPARE(ScanNaming::nextCodeAfter({}), 1);
        QCOMPARE(ScanNaming::nextCodeAfter({"cover.jpg", "0001.jpg", "0002.jpg"}), 3);
        QCOMPARE(ScanNaming::nextCodeAfter({"0010.tif", "a12b3.jpg"}), 11);
    }

    // Each row: the folder before, where the scan goes, and every file after
    // with its content, so each old page must be found exactly once.
    void placesPages_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("nextCode");
        QTest::addColumn<QStringList>("after");   // name=content, sorted
        QTest::addColumn<QStringList>("trashed"); // old pages in the desktop trash

        // Trashed before after, so the long list of files comes last.
        const auto row = [](const char* name, int mode, const QStringList& existing,
                            const QString& current, int pages, int nextCode,
                            const QStringList& trashed, const QStringList& after) {
            QTest::newRow(name) << mode << existing << current << pages << nextCode << after
                                << trashed;
        };
        const int A = ScanPlacement::Append, I = ScanPlacement::Insert, R = ScanPlacement::Replace;
        row("append with a low next code", A, {"0001.jpg", "0002.tif", "0004.jpg"}, "0001.jpg", 2,
            1, {},
            {"0001.jpg=old:0001.jpg", "0002.tif=old:0002.tif", "0003.jpg=new:1",
             "0004.jpg=old:0004.jpg", "0005.jpg=new:2"});
        row("insert before a gap", I, {"0001.jpg", "0002.jpg", "0010.jpg"}, "0002.jpg", 1, 11, {},
            {"0001.jpg=old:0001.jpg", "0002.jpg=new:1", "0003.jpg=old:0002.jpg",
             "0010.jpg=old:0010.jpg"});
        row("insert stops at a gap of one", I, {"0001.jpg", "0003.jpg"}, "0001.jpg", 1, 4, {},
            {"0001.jpg=new:1", "0002.jpg=old:0001.jpg", "0003.jpg=old:0003.jpg"});
        row("insert fills a gap", I, {"0001.jpg", "0002.jpg", "0012.jpg"}, "0001.jpg", 10, 13, {},
            newPages(1, 10) << "0011.jpg=old:0001.jpg"
                            << "0012.jpg=old:0002.jpg"
                            << "0022.jpg=old:0012.jpg");
        row("insert at the last", I, numbered(1, 2), "0002.jpg", 2, 3, {},
            {"0001.jpg=old:0001.jpg", "0002.jpg=new:1", "0003.jpg=new:2", "0004.jpg=old:0002.jpg"});
        row("insert keeps widths and formats", I, {"p01.jpg", "p02.tif", "p03.jpg", "q04.jpg"},
            "p02.tif", 1, 5, {},
            {"p01.jpg=old:p01.jpg", "p02.jpg=new:1", "p03.tif=old:p02.tif", "p04.jpg=old:p03.jpg",
             "q04.jpg=old:q04.jpg"});
        row("insert grows past the width", I, {"8.jpg", "9.jpg"}, "9.jpg", 2, 10, {},
            {"10.jpg=new:2", "11.jpg=old:9.jpg", "8.jpg=old:8.jpg", "9.jpg=new:1"});
        row("insert at an unnumbered file appends", I, {"0001.jpg", "cover.jpg"}, "cover.jpg", 1, 1,
            {}, {"0001.jpg=old:0001.jpg", "0002.jpg=new:1", "cover.jpg=old:cover.jpg"});
        row("insert into an empty folder", I, {}, "", 2, 1, {},
            {"0001.jpg=new:1", "0002.jpg=new:2"});
        row("replace the last two", R, numbered(1, 5), "0005.jpg", 2, 6, {"0005.jpg=old:0005.jpg"},
            QStringList({"0001.jpg=old:0001.jpg", "0002.jpg=old:0002.jpg", "0003.jpg=old:0003.jpg",
                         "0004.jpg=old:0004.jpg"}) +
                newPages(5, 2));
        row("replace in the middle, other format", R, numbered(1, 4, ".tif"), "0002.tif", 2, 5,
            {"0002.tif=old:0002.tif", "0003.tif=old:0003.tif"},
            {"0001.tif=old:0001.tif", "0002.jpg=new:1", "0003.jpg=new:2", "0004.tif=old:0004.tif"});
    }
    void placesPages()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, existing);
        QFETCH(QString, current);
        QFETCH(int, pages);
        QFETCH(int, nextCode);
        ScanBench bench(existing);
        const ScanPlacement::Job job = bench.job(mode, current, pages, nextCode);

        const ScanPlacement::Plan plan = ScanPlacement::plan(job);
        QCOMPARE(listing(bench.folder()).size(), existing.size()); // planning changes nothing
        const ScanPlacement::Result result = ScanPlacement().place(job, plan);
        QVERIFY2(result.ok, qPrintable(result.message));
        QTEST(listing(bench.folder()), "after");
        QTEST(bench.trash(), "trashed");
        QCOMPARE(listing(bench.path("tmp")), QStringList());
        QCOMPARE(result.placed.size(), pages);
        QCOMPARE(readAll(result.placed.last()), "new:" + QByteArray::number(pages));
        const int selected = mode == ScanPlacement::Append ? pages - 1 : 0;
        QCOMPARE(result.selectName, QFileInfo(result.placed.at(selected)).fileName());
        QCOMPARE(result.oldToNew.size(), plan.shifts.size());
        for (auto it = result.oldToNew.cbegin(); it != result.oldToNew.cend(); ++it)
            QCOMPARE(readAll(it.value()), "old:" + QFileInfo(it.key()).fileName().toUtf8());
        QCOMPARE(result.message.isEmpty(), !(current.isEmpty() || current == "cover.jpg"));
    }

    void previewChangesNothing()
    {
        ScanBench bench(numbered(1, 3));
        const QDateTime old = QDateTime::currentDateTime().addDays(-3);
        for (const QString& name : numbered(1, 3)) {
            QFile file(bench.folder() + "/" + name);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        const QStringList before = listing(bench.folder());
        const ScanPlacement::Job job = bench.job(ScanPlacement::Preview, "0002.jpg", 2);
        const ScanPlacement::Result result = ScanPlacement().place(job, ScanPlacement::plan(job));
        QVERIFY(result.ok);
        QCOMPARE(result.placed, job.pages);
        QCOMPARE(listing(bench.folder()), before);
        for (const QString& name : numbered(1, 3))
            QCOMPARE(QFileInfo(bench.folder() + "/" + name).lastModified(), old);
        QCOMPARE(listing(bench.path("tmp")).size(), 2);
    }

    // Refused or failed placements: the folder stays exactly as it was and
    // the pages, in order, are in one recovery folder named to the operator.
    void failedPlacementRecoversPages_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("folder"); // relative to the bench, "" for the archive
        QTest::addColumn<int>("injectAt");   // -1: no fault injected
        QTest::addColumn<QString>("intruder");
        QTest::addColumn<QString>("cause");
        const auto row = [](const char* name, int mode, const QString& folder, int injectAt,
                            const QString& intruder, const QString& cause) {
            QTest::newRow(name) << mode << folder << injectAt << intruder << cause;
        };
        const int A = ScanPlacement::Append, I = ScanPlacement::Insert, R = ScanPlacement::Replace;
        row("path over 4095 bytes", A, QString(4100, 'f'), -1, "", "文件路径过长，无法保存扫描页");
        row("no folder", I, "-", -1, "", "请先在目录树选择图像文件的存放目录");
        // Insert at 0001 of 0001-0003: three renumbered, two pages; the first
        // phase moves all five to temporary names, the second to their targets.
        row("insert, first phase", I, "", 0, "0005.jpg", "rename");
        row("insert, second phase", I, "", 6, "0005.jpg", "rename");
        // Replace at 0001 of 0001-0003: the old pages lose their place to wait in.
        row("replace, old pages", R, "", 2, "<aside>", "rename");
        row("replace, read-only folder", R, "", -1, "<read-only>", "rename");
    }
    void failedPlacementRecoversPages()
    {
        QFETCH(int, mode);
        QFETCH(QString, folder);
        QFETCH(int, injectAt);
        QFETCH(QString, intruder);
        ScanBench bench(numbered(1, 3));
        ScanPlacement::Job job = bench.job(mode, "0001.jpg", 2, 4);
        if (folder == "-")
            job.folder.clear();
        else if (!folder.isEmpty())
            job.folder = bench.path(folder);
        const QStringList before = listing(bench.folder());

        ScanPlacement placement;
        QDir dir(bench.folder());
        placement.setStepHook([&](int ordinal) {
            if (ordinal != injectAt)
                return;
            if (intruder == "<aside>")
                dir.rename(dir.entryList({".tarvo-replaced-*"}, QDir::Dirs | QDir::Hidden).value(0),
                           "moved");
            else
                ScanBench::write(dir.filePath(intruder), "intruder");
        });
        ScanPlacement::Result result;
        {
            std::unique_ptr<ReadOnlyGuard> readOnly;
            if (intruder == "<read-only>") {
                readOnly = std::make_unique<ReadOnlyGuard>(bench.folder());
                if (!readOnly->ok())
                    QSKIP("cannot make the folder read-only here");
            }
            result = placement.place(job, ScanPlacement::plan(job));
        }
        QVERIFY(!result.ok);
        if (intruder == "<aside>")
            QVERIFY(dir.rmdir("moved"));
        else if (intruder.endsWith(".jpg"))
            QVERIFY(dir.remove(intruder));
        QCOMPARE(listing(bench.folder()), before);
        QCOMPARE(bench.trash(), QStringList());
        QCOMPARE(listing(bench.path("tmp")), QStringList());
        QCOMPARE(result.recoveryFolder, bench.recovery());
        QCOMPARE(listing(result.recoveryFolder),
                 QStringList({"0001-scan-01.bmp=new:1", "0002-scan-02.bmp=new:2"}));
        QVERIFY(
            result.message.startsWith(ScanPlacement::failedMessage().arg(result.recoveryFolder)));
        QFETCH(QString, cause);
        QVERIFY2(result.message.contains(cause) || cause == "rename", qPrintable(result.message));
        QVERIFY(result.failed.isEmpty());
        QVERIFY(result.oldToNew.isEmpty());
    }

    void leftoversAreRescued()
    {
        ScanBench bench;
        QCOMPARE(ScanPlacement::rescueLeftovers(bench.path("tmp"), bench.path("data")), QString());
        bench.scan(2);
        const QString folder =
            ScanPlacement::rescueLeftovers(bench.path("tmp"), bench.path("data"));
        QCOMPARE(folder, bench.recovery());
        QCOMPARE(listing(folder),
                 QStringList({"0001-scan-01.bmp=new:1", "0002-scan-02.bmp=new:2"}));
        QCOMPARE(listing(bench.path("tmp")), QStringList());
    }

    // What a crash left hidden in the archive: a copy not yet renamed in and an
    // old page not yet in the trash.
    void hiddenLeftoversAreRescued()
    {
        ScanBench bench({"0001.jpg"});
        QDir(bench.folder()).mkdir(".tarvo-replaced-q1w2e3");
        ScanBench::write(bench.folder() + "/.tarvo-replaced-q1w2e3/0005.jpg", "old:0005.jpg");
        ScanBench::write(bench.folder() + "/.tarvo-scan-a1b2c3.jpg", "new:1");
        const QString folder =
            ScanPlacement::rescueFolderLeftovers(bench.folder(), bench.path("data"));
        QCOMPARE(folder, bench.recovery());
        QCOMPARE(listing(folder),
                 QStringList({"0001-.tarvo-scan-a1b2c3.jpg=new:1", "0002-0005.jpg=old:0005.jpg"}));
        QCOMPARE(listing(bench.folder()), QStringList({"0001.jpg=old:0001.jpg"}));
        QCOMPARE(ScanPlacement::rescueFolderLeftovers(bench.folder(), bench.path("data")),
                 QString());
    }
};

QTEST_GUILESS_MAIN(tst_ScanPlacement)
#include "tst_ScanPlacement.moc"
