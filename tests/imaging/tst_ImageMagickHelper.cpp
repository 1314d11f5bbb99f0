#include "ImageMagickHelper.h"
#include "MagickRuntime.h"
#include "PageFile.h"
#include "PageTestFiles.h"
#include "ReadOnlyGuard.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace PageTestFiles;

// Conversion and multi-page output on generated files, bad input included.
class TestImageMagickHelper : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static int pageCount(const QString& file)
    {
        const QByteArray data = bytesOf(file);
        if (file.endsWith(QLatin1String(".pdf")))
            return data.count("/Type /Page") - data.count("/Type /Pages"); // not the page tree
        std::list<Magick::Image> pages;
        Magick::readImages(&pages, file.toUtf8().toStdString());
        return static_cast<int>(pages.size());
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void mergeSkipsBadSource_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QByteArray>("badBytes");
        QTest::newRow("tif, text") << "merged.tif" << QByteArray("not an image");
        QTest::newRow("pdf, zero bytes") << "合并 文件.pdf" << QByteArray();
    }
    void mergeSkipsBadSource()
    {
        QFETCH(QString, destination);
        QFETCH(QByteArray, badBytes);
        const QStringList sources = {writePage(path("页 1.png"), "red"),
                                     writeBytes(path("bad.jpg"), badBytes),
                                     writePage(path("p3.tif"), "blue")};
        const QString out = path(destination);
        auto merge = destination.endsWith(".pdf") ? ImageMagickHelper::images2Pdf
                                                  : ImageMagickHelper::mergeToMultiPage;
        QVERIFY(merge(sources, out));
        QCOMPARE(pageCount(out), 2);
        if (destination.endsWith(".pdf")) // written, never read back as a page
            QVERIFY(!PageFile::readInfo(out).valid && PageFile::loadForEdit(out).empty());
        QVERIFY(merge({sources.first()}, out)); // replaces the existing file
        QCOMPARE(pageCount(out), 1);
        QVERIFY(!merge({sources.at(1), path("missing.png")}, path("none.tif")));
        QVERIFY(!QFile::exists(path("none.tif")));
    }

    void convertAndFailures()
    {
        const QString tif = writePage(path("a b.tif"), "green", 300, 300, 30, 20);
        QVERIFY(ImageMagickHelper::convertImage(tif, path("a b.jpg")));
        QVERIFY(bytesOf(path("a b.jpg")).startsWith("\xff\xd8\xff"));
        QVERIFY(ImageMagickHelper::convertImage(tif, tif)); // in place

        const QByteArray before = bytesOf(tif);
        for (const QByteArray& bad : {QByteArray(), QByteArray("\xff\xd8\xff\xe0")})
            QVERIFY(!ImageMagickHelper::convertImage(writeBytes(path("bad in.jpg"), bad), tif));
        QCOMPARE(bytesOf(tif), before);
        QVERIFY(!ImageMagickHelper::convertImage(tif, path("no/such/x.jpg")));
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(m_dir.path()).entryList({".tarvo-*"}, all), QStringList());

        const QString folder = path("只读 folder");
        QVERIFY(QDir().mkpath(folder));
        ReadOnlyGuard guard(folder);
        if (!guard.ok())
            QSKIP("cannot make a folder read-only here");
        QVERIFY(!ImageMagickHelper::mergeToMultiPage({tif, tif}, folder + "/m.tif"));
        QVERIFY(!ImageMagickHelper::images2Pdf({tif}, folder + "/m.pdf"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void toQImage16BitGrey()
    {
        Magick::Image grey(Magick::Geometry(33, 17), Magick::Color("gray50"));
        grey.type(Magick::GrayscaleType);
        grey.depth(16);
        grey.write(path("grey16.tif").toUtf8().toStdString());
        const Magick::Image read(path("grey16.tif").toUtf8().toStdString());
        QCOMPARE(read.depth(), size_t(16));
        const QImage image = ImageMagickHelper::toQImage(read);
        QCOMPARE(image.size(), QSize(33, 17));
        const int v = qRed(image.pixel(16, 8));
        QVERIFY(qAbs(v - 127) <= 1);
        QCOMPARE(image.pixel(16, 8), qRgb(v, v, v));
        QVERIFY(ImageMagickHelper::toQImage(Magick::Image()).isNull());
    }
};

QTEST_GUILESS_MAIN(TestImageMagickHelper)
#include "tst_ImageMagickHelper.moc"
