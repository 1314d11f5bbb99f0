#include "AppPaths.h"
#include "DemoArchive.h"
#include "SettingsStore.h"

#include <QDir>
#include <QDirIterator>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

class DemoArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pagesAreReadableA4At300Dpi_data();
    void pagesAreReadableA4At300Dpi();
    void layoutHasChineseAndSpacedFolders();
    void skewedPageShowsScannerBedInCorner();
    void createKeepsExistingPages();
    void createRefusesEmptyOrUnwritableDir();
    void ensureRootPathCreatesThenReuses();
    void ensureRootPathReplacesVanishedRoot();

private:
    QTemporaryDir m_tmp;
    QString m_archive;
};

void DemoArchiveTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    m_archive = m_tmp.filePath("archive with space");
    QVERIFY(DemoArchive::create(m_archive));
}

void DemoArchiveTest::cleanupTestCase()
{
    AppPaths::setBaseDirForTesting(QString());
}

void DemoArchiveTest::pagesAreReadableA4At300Dpi_data()
{
    QTest::addColumn<QString>("path");
    QDirIterator it(m_archive, {"*.jpg", "*.tif"}, QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QTest::newRow(qPrintable(QDir(m_archive).relativeFilePath(path))) << path;
        ++count;
    }
    QVERIFY(count >= 9);
}

void DemoArchiveTest::pagesAreReadableA4At300Dpi()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    const QImage page = reader.read();
    QVERIFY2(!page.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(page.size(), QSize(2480, 3508));
    QCOMPARE(qRound(page.dotsPerMeterX() * 0.0254), 300);
    QCOMPARE(qRound(page.dotsPerMeterY() * 0.0254), 300);
    // Text-like content: a good share of the page is dark ink, most is paper.
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    int dark = 0, samples = 0;
    for (int y = 600; y < grey.height() - 600; y += 7)
        for (int x = 300; x < grey.width() - 300; x += 7, ++samples)
            dark += grey.constScanLine(y)[x] < 128;
    QVERIFY2(dark > samples / 100 && dark < samples / 3, qPrintable(QString::number(dark)));
}

void DemoArchiveTest::layoutHasChineseAndSpacedFolders()
{
    QVERIFY(QFileInfo(m_archive + QString::fromUtf8("/0001卷/0001.jpg")).isFile());
    QVERIFY(QFileInfo(m_archive + QString::fromUtf8("/0002卷/0001.tif")).isFile());
    QVERIFY(QFileInfo(m_archive + "/0003 scans/0003.jpg").isFile());
    qint64 total = 0;
    QDirIterator it(m_archive, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += QFileInfo(it.next()).size();
    QVERIFY2(total < 40 * 1024 * 1024, qPrintable(QString::number(total)));
}

void DemoArchiveTest::skewedPageShowsScannerBedInCorner()
{
    // 0001卷/0002.jpg is fed in at an angle: its corner is the grey bed, not paper.
    const QImage skewed(m_archive + QString::fromUtf8("/0001卷/0002.jpg"));
    const QImage straight(m_archive + QString::fromUtf8("/0001卷/0003.jpg"));
    QVERIFY(qGray(skewed.pixel(5, 5)) < 232);
    QVERIFY(qGray(straight.pixel(5, 5)) > 240);
}

void DemoArchiveTest::createKeepsExistingPages()
{
    const QString page = m_archive + "/0003 scans/0002.jpg";
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("operator's own page");
    file.close();
    QVERIFY(DemoArchive::create(m_archive));
    QCOMPARE(QFileInfo(page).size(), qint64(19));
    QVERIFY(QFile::remove(page));
    QVERIFY(DemoArchive::create(m_archive));
    QVERIFY(!QImage(page).isNull());
}

void DemoArchiveTest::createRefusesEmptyOrUnwritableDir()
{
    QVERIFY(!DemoArchive::create(QString()));
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(dir.path()).isWritable())
        QSKIP("running with rights that ignore folder permissions");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("demo folder not created"));
    QVERIFY(!DemoArchive::create(dir.filePath("sub")));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void DemoArchiveTest::ensureRootPathCreatesThenReuses()
{
    QTemporaryDir base;
    AppPaths::setBaseDirForTesting(base.path());
    QVERIFY(!SettingsStore::settingValue(SettingsStore::kRootPath).isValid());

    const QString root = DemoArchive::ensureRootPath();
    QCOMPARE(root, AppPaths::dataDir() + "/demo-archive");
    QCOMPARE(SettingsStore::settingValue(SettingsStore::kRootPath).toString(), root);
    QVERIFY(QFileInfo(root + QString::fromUtf8("/0001卷/0001.jpg")).isFile());

    // An operator's own root is kept as it is.
    QTemporaryDir own;
    SettingsStore::setSettingValue(SettingsStore::kRootPath, own.path());
    QCOMPARE(DemoArchive::ensureRootPath(), own.path());
    QCOMPARE(SettingsStore::settingValue(SettingsStore::kRootPath).toString(), own.path());
}

void DemoArchiveTest::ensureRootPathReplacesVanishedRoot()
{
    QTemporaryDir base;
    AppPaths::setBaseDirForTesting(base.path());
    // An operator's root that is offline keeps its setting.
    SettingsStore::setSettingValue(SettingsStore::kRootPath, base.filePath("offline share"));
    QCOMPARE(DemoArchive::ensureRootPath(), base.filePath("offline share"));
    // The demo archive deleted by hand comes back.
    const QString demo = AppPaths::dataDir() + "/demo-archive";
    SettingsStore::setSettingValue(SettingsStore::kRootPath, demo);
    QCOMPARE(DemoArchive::ensureRootPath(), demo);
    QVERIFY(QFileInfo(demo + QString::fromUtf8("/0001卷/0001.jpg")).isFile());
}

QTEST_GUILESS_MAIN(DemoArchiveTest)
#include "tst_DemoArchive.moc"
