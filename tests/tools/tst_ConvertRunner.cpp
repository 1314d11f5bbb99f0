#include "ConvertRunner.h"
#include "FileConverter.h"
#include "FolderImages.h"
#include "FrameReader.h"
#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageFile.h"
#include "PageMerge.h"
#include "PageTestFiles.h"
#include "ReadOnlyGuard.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace MergeTestFiles;
using PageTestFiles::bytesOf;
using PageTestFiles::writeBytes;
using PageTestFiles::writePage;
using Operation = ConvertRunner::Operation;

// Converting and merging data folders as the tool does, on real files: what
// must stay, what must go, and what must never be overwritten.
class TestConvertRunner : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString root() const { return m_dir->filePath("数据"); }
    QString item(const QString& name = QStringLiteral("0001")) const
    {
        return root() + QLatin1Char('/') + name;
    }
    QString file(const QString& name) const { return item() + QLatin1Char('/') + name; }
    QStringList names() const
    {
        return QDir(item()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    ConvertSummary run(Operation operation, std::function<bool()> cancelled = {})
    {
        ConvertRunner runner(root(), FolderImages::load(root()));
        ConvertRunner::Hooks hooks;
        hooks.cancelled = std::move(cancelled);
        return runner.run(operation, hooks);
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(item()));
    }

    void destinationNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("jpg");
        QTest::addColumn<QString>("tif");
        QTest::newRow("two dots") << "a.b.tiff"
                                  << "a.b.jpg"
                                  << "a.b.tif";
        QTest::newRow("upper case") << "A.JPG"
                                    << "A.jpg"
                                    << "A.tif";
        QTest::newRow("no dot") << "scan"
                                << "scan.jpg"
                                << "scan.tif";
    }
    void destinationNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, jpg);
        QFETCH(QString, tif);
        QCOMPARE(FileConverter::destinationName(name, FileConverter::Target::Jpg), jpg);
        QCOMPARE(FileConverter::destinationName(name, FileConverter::Target::Tif), tif);
    }

    void mixedFolderToJpg()
    {
        const QByteArray jpeg = bytesOf(writeJpeg(file("b.jpg"), 90, 60, 300));
        writePage(file("a.png"), "#204080", 150, 150, 40, 30);
        writePage(file("c.tif"), "#c0c000", 400, 400, 50, 20);
        const ConvertSummary summary = run(Operation::ToJpg);
        QCOMPARE(summary.text(), QStringLiteral("完成：成功 3，跳过 0，失败 0"));
        QCOMPARE(names(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
        QCOMPARE(bytesOf(file("b.jpg")), jpeg); // untouched byte for byte
        const PageInfo png = PageFile::readInfo(file("a.jpg"));
        QCOMPARE(QSize(png.width, png.height), QSize(40, 30));
        QCOMPARE(png.dpiX, 150);
        const PageInfo tif = PageFile::readInfo(file("c.jpg"));
        QCOMPARE(QSize(tif.width, tif.height), QSize(50, 20));
        QCOMPARE(tif.dpiX, 400);
        RasterFrame pixels;
        QVERIFY(FrameReader::read(file("a.jpg"), 0, pixels));
        const auto* rgb = reinterpret_cast<const uchar*>(pixels.pixels.constData());
        QVERIFY(qAbs(rgb[0] - 0x20) < 6 && qAbs(rgb[1] - 0x40) < 6 && qAbs(rgb[2] - 0x80) < 6);
    }

    void toTifIsLosslessAndKeepsFrames()
    {
        writePage(file("a.png"), "#204080", 150, 150, 40, 30);
        const QByteArray three = bytesOf(writeFrames(file("three.tiff"), 3));
        writeJpeg(file("photo.JPEG"), 64, 48, 200);
        QCOMPARE(run(Operation::ToTif).text(), QStringLiteral("完成：成功 3，跳过 0，失败 0"));
        QCOMPARE(names(), (QStringList{"a.tif", "photo.tif", "three.tif"}));
        QCOMPARE(bytesOf(file("three.tif")), three); // renamed, not re-encoded
        RasterFrame frame;
        QVERIFY(FrameReader::read(file("a.tif"), 0, frame));
        QCOMPARE(frame.pixels.left(3), QByteArray("\x20\x40\x80", 3));
        QCOMPARE(frame.dpiX, 150);
        QCOMPARE(PageMerge::countPages(file("three.tif"), PageMerge::Format::Tiff), 3);
    }

    void collisionsAreSkipped_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("skipped");
        QTest::newRow("a.jpg beside a.png")
            << QStringList{"a.jpg", "a.png"} << int(Operation::ToJpg) << 1;
        QTest::newRow("a.tif beside a.TIF")
            << QStringList{"a.TIF", "a.tif"} << int(Operation::ToTif) << 1;
        QTest::newRow("a.png and a.bmp to one name")
            << QStringList{"a.bmp", "a.png"} << int(Operation::ToJpg) << 2;
    }
    void collisionsAreSkipped()
    {
        QFETCH(QStringList, present);
        QFETCH(int, operation);
        QFETCH(int, skipped);
        QMap<QString, QByteArray> before;
        for (int i = 0; i < present.size(); ++i) {
            const QString name = present.at(i);
            const QString suffix = QFileInfo(name).suffix().toLower();
            if (suffix == "jpg")
                writeJpeg(file(name), 30, 20, 300, i);
            else
                writePage(file(name), i ? "red" : "blue", 300, 300, 30 + i, 20);
            before.insert(name, bytesOf(file(name)));
        }
        const ConvertSummary summary = run(Operation(operation));
        QCOMPARE(summary.skipped, skipped);
        QCOMPARE(summary.failed, 0);
        QCOMPARE(summary.problems.size(), skipped);
        QCOMPARE(names(), present);
        for (const QString& name : present)
            QCOMPARE(bytesOf(file(name)), before.value(name));
    }

    void twoNamesOfOneFileAreNeverLost()
    {
        // Two names of one file, as a volume that ignores case shows them. Here
        // both names stay taken, so the rename through a temporary name must
        // give up and put the source back.
        const QByteArray jpeg = bytesOf(writeJpeg(file("q.JPG"), 30, 20, 300));
        QCOMPARE(::link(QFile::encodeName(file("q.JPG")).constData(),
                        QFile::encodeName(file("q.jpg")).constData()),
                 0);
        QVERIFY(FileConverter::sameFile(file("q.JPG"), file("q.jpg")));
        QVERIFY(!FileConverter::sameFile(file("q.JPG"), item()));
        const FileConverter::Result result =
            FileConverter::convert(file("q.JPG"), file("q.jpg"), FileConverter::Target::Jpg);
        QCOMPARE(int(result.outcome), int(FileConverter::Outcome::Failed));
        QCOMPARE(names(), (QStringList{"q.JPG", "q.jpg"}));
        QCOMPARE(bytesOf(file("q.JPG")), jpeg);
    }

    void badSourcesFailAndStay_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("skipped");
        QTest::newRow("cut-off JPEG to TIF") << "cut.jpg" << int(Operation::ToTif) << false;
        QTest::newRow("text named .jpg to TIF") << "note.jpg" << int(Operation::ToTif) << false;
        QTest::newRow("three frames to JPG") << "three.tif" << int(Operation::ToJpg) << true;
    }
    void badSourcesFailAndStay()
    {
        QFETCH(QString, name);
        QFETCH(int, operation);
        QFETCH(bool, skipped);
        if (name.startsWith("cut"))
            truncate(writeJpeg(file(name), 600, 400, 300));
        else if (name.startsWith("note"))
            writeBytes(file(name), "not a page");
        else
            writeFrames(file(name), 3);
        const QByteArray before = bytesOf(file(name));
        const ConvertSummary summary = run(Operation(operation));
        QCOMPARE(summary.failed, skipped ? 0 : 1);
        QCOMPARE(summary.skipped, skipped ? 1 : 0);
        QCOMPARE(names(), QStringList{name}); // no output, no temporary file left
        QCOMPARE(bytesOf(file(name)), before);
    }

    void readOnlySourceIsNotDeleted()
    {
        writePage(file("locked.png"));
        ReadOnlyGuard guard(file("locked.png"));
        if (!guard.ok())
            QSKIP("cannot make a file read-only here");
        QCOMPARE(run(Operation::ToJpg).failed, 1);
        QCOMPARE(names(), QStringList{"locked.png"});
    }

    void cancelStopsAfterTheCurrentFile()
    {
        for (const char* name : {"1.png", "2.png", "3.png"})
            writePage(file(name));
        const ConvertSummary summary =
            run(Operation::ToJpg, [this] { return QFile::exists(file("1.jpg")); });
        QVERIFY(summary.cancelled);
        QCOMPARE(summary.succeeded, 1);
        QCOMPARE(names(), (QStringList{"1.jpg", "2.png", "3.png"}));
    }

    void mergingTwiceGivesOneFile_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("pdf") << int(Operation::MergePdf) << ".pdf";
        QTest::newRow("tif") << int(Operation::MergeTif) << ".tif";
    }
    void mergingTwiceGivesOneFile()
    {
        QFETCH(int, operation);
        QFETCH(QString, suffix);
        writeJpeg(file("1.jpg"), 40, 30, 300);
        writePage(file("2.png"));
        QVERIFY(QDir().mkpath(item("0002"))); // an empty item gives no file
        QCOMPARE(run(Operation(operation)).text(), QStringLiteral("完成：成功 1，跳过 0，失败 0"));
        const QByteArray first = bytesOf(item() + suffix);
        QVERIFY(!first.isEmpty());
        const ConvertSummary again = run(Operation(operation));
        QCOMPARE(again.skipped, 1);
        QCOMPARE(QDir(root()).entryList(QDir::Files | QDir::Hidden), QStringList{"0001" + suffix});
        QCOMPARE(bytesOf(item() + suffix), first);
        QCOMPARE(names(), (QStringList{"1.jpg", "2.png"})); // sources kept
    }
};

QTEST_GUILESS_MAIN(TestConvertRunner)
#include "tst_ConvertRunner.moc"
