#include "AppPaths.h"
#include "DemoArchive.h"
#include "SettingsStore.h"

#include <QDirIterator>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

class DemoArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { AppPaths::setBaseDirForTesting(QString()); }
    void pagesAreReadableA4At300Dpi_data();
    void pagesAreReadableA4At300Dpi();
    void createKeepsExistingPages();
    void ensureRootPathCreatesThenKeepsRoot();

private:
    QTemporaryDir m_tmp;
    QString m_archive;
};

void DemoArchiveTest::initTestCase()
{
    m_archive = m_tmp.filePath("archive with space");
    QVERIFY(DemoArchive::create(m_archive));
}

void DemoArchiveTest::pagesAreReadableA4At300Dpi_data()
{
    QTest::addColumn<QString>("path");
    QDirIterator it(m_archive, {"*.jpg", "*.tif"}, QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    for (; it.hasNext(); ++count) {
        const QString path = it.next();
        QTest::newRow(qPrintable(QDir(m_archive).relativeFilePath(path))) << path;
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
}

void DemoArchiveTest::ensureRootPathCreatesThenKeepsRoot()
{
    QTemporaryDir base;
    AppPaths::setBaseDirForTesting(base.path());
    const QString root = DemoArchive::ensureRootPath();
    QCOMPARE(root, AppPaths::dataDir() + "/demo-archive");
    QCOMPARE(SettingsStore::settingValue(SettingsStore::kRootPath).toString(), root);
    QVERIFY(QFileInfo(root + QStringLiteral("/0001卷/0001.jpg")).isFile());
    // The demo deleted by hand comes back.
    QVERIFY(QDir(root).removeRecursively());
    QCOMPARE(DemoArchive::ensureRootPath(), root);
    QVERIFY(QFileInfo(root + QStringLiteral("/0001卷/0001.jpg")).isFile());
    // An operator's own root, even one offline, is kept as it is.
    const QString own = base.filePath("offline share");
    SettingsStore::setSettingValue(SettingsStore::kRootPath, own);
    QCOMPARE(DemoArchive::ensureRootPath(), own);
    QCOMPARE(SettingsStore::settingValue(SettingsStore::kRootPath).toString(), own);
}

QTEST_GUILESS_MAIN(DemoArchiveTest)
#include "tst_DemoArchive.moc"
