#include "ImageMagickHelper.h"
#include "MagickRuntime.h"
#include "ReadOnlyGuard.h"

#include <Magick++.h>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Conversion and multi-page output on generated files, bad input included.
class TestImageMagickHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mergeSkipsBadSource_data();
    void mergeSkipsBadSource();
    void mergeNothingReadable();
    void convertTiffToJpeg();
    void convertInPlace();
    void convertRefusesBadInput_data();
    void convertRefusesBadInput();
    void convertIntoMissingFolder();
    void mergeIntoReadOnlyFolder();
    void toQImage16BitGrey();
    void toQImageInvalid();

private:
    QString writePage(const QString& name, const QString& colour, int width = 64, int height = 48);
    QString writeBytes(const QString& name, const QByteArray& bytes);

    QTemporaryDir m_dir;
};

void TestImageMagickHelper::initTestCase()
{
    QVERIFY(m_dir.isValid());
    MagickRuntime::ensureInitialised();
}

QString TestImageMagickHelper::writePage(const QString& name, const QString& colour, int width,
                                         int height)
{
    const QString path = m_dir.filePath(name);
    Magick::Image image(Magick::Geometry(width, height), Magick::Color(colour.toStdString()));
    image.density(Magick::Geometry(300, 300));
    image.write(path.toUtf8().toStdString());
    return path;
}

QString TestImageMagickHelper::writeBytes(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

static int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.readAll();
    // "/Type /Pages" is the page tree, not a page.
    return data.count("/Type /Page") - data.count("/Type /Pages");
}

static int tiffPageCount(const QString& path)
{
    std::list<Magick::Image> pages;
    Magick::readImages(&pages, path.toUtf8().toStdString());
    return static_cast<int>(pages.size());
}

void TestImageMagickHelper::mergeSkipsBadSource_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QByteArray>("badBytes");
    QTest::newRow("tif, text file") << QStringLiteral("merged.tif") << QByteArray("not an image");
    QTest::newRow("pdf, text file")
        << QStringLiteral("合并 文件.pdf") << QByteArray("not an image");
    QTest::newRow("tif, empty file") << QStringLiteral("empty middle.tif") << QByteArray();
    QTest::newRow("pdf, truncated png")
        << QStringLiteral("truncated.pdf") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
}

void TestImageMagickHelper::mergeSkipsBadSource()
{
    QFETCH(QString, destination);
    QFETCH(QByteArray, badBytes);
    const QStringList sources = {writePage(QStringLiteral("页 1.png"), QStringLiteral("red")),
                                 writeBytes(QStringLiteral("bad.jpg"), badBytes),
                                 writePage(QStringLiteral("p3.tif"), QStringLiteral("blue"))};
    const QString out = m_dir.filePath(destination);
    const bool pdf = destination.endsWith(QLatin1String(".pdf"));
    QVERIFY(pdf ? ImageMagickHelper::images2Pdf(sources, out)
                : ImageMagickHelper::mergeToMultiPage(sources, out));
    QCOMPARE(pdf ? pdfPageCount(out) : tiffPageCount(out), 2);

    // Merging again over the existing file replaces it.
    QVERIFY(pdf ? ImageMagickHelper::images2Pdf({sources.first()}, out)
                : ImageMagickHelper::mergeToMultiPage({sources.first()}, out));
    QCOMPARE(pdf ? pdfPageCount(out) : tiffPageCount(out), 1);
}

void TestImageMagickHelper::mergeNothingReadable()
{
    const QString out = m_dir.filePath(QStringLiteral("nothing.tif"));
    QVERIFY(!ImageMagickHelper::mergeToMultiPage({}, out));
    QVERIFY(!ImageMagickHelper::images2Pdf({m_dir.filePath(QStringLiteral("missing.png"))},
                                           m_dir.filePath(QStringLiteral("nothing.pdf"))));
    QVERIFY(!QFile::exists(out));
}

void TestImageMagickHelper::convertTiffToJpeg()
{
    const QString tif = writePage(QStringLiteral("a b.tif"), QStringLiteral("green"), 30, 20);
    const QString jpg = m_dir.filePath(QStringLiteral("a b.jpg"));
    QVERIFY(ImageMagickHelper::convertImage(tif, jpg));
    Magick::Image written;
    written.ping(jpg.toUtf8().toStdString());
    QCOMPARE(QString::fromStdString(written.magick()), QStringLiteral("JPEG"));
    QCOMPARE(written.columns(), size_t(30));
    QCOMPARE(written.rows(), size_t(20));
}

void TestImageMagickHelper::convertInPlace()
{
    const QString png = writePage(QStringLiteral("same.png"), QStringLiteral("white"), 12, 9);
    QVERIFY(ImageMagickHelper::convertImage(png, png));
    Magick::Image written;
    written.ping(png.toUtf8().toStdString());
    QCOMPARE(written.columns(), size_t(12));
    // No temporary file is left beside the page.
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".tarvo-*")}, QDir::Files | QDir::Hidden),
             QStringList());
}

void TestImageMagickHelper::convertRefusesBadInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("text as jpg") << QByteArray("hello");
    QTest::newRow("truncated jpeg") << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF", 10);
}

void TestImageMagickHelper::convertRefusesBadInput()
{
    QFETCH(QByteArray, bytes);
    const QString target = writePage(QStringLiteral("keep.tif"), QStringLiteral("black"), 5, 5);
    const QByteArray before = [&] {
        QFile f(target);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString bad = writeBytes(QStringLiteral("bad input.jpg"), bytes);
    QVERIFY(!ImageMagickHelper::convertImage(bad, target));
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestImageMagickHelper::convertIntoMissingFolder()
{
    const QString src = writePage(QStringLiteral("src.png"), QStringLiteral("white"));
    QVERIFY(!ImageMagickHelper::convertImage(src, m_dir.filePath(QStringLiteral("no/such/x.jpg"))));
}

void TestImageMagickHelper::mergeIntoReadOnlyFolder()
{
    const QString src = writePage(QStringLiteral("ro-src.png"), QStringLiteral("white"));
    const QString folder = m_dir.filePath(QStringLiteral("只读 folder"));
    QVERIFY(QDir().mkpath(folder));
    ReadOnlyGuard guard(folder);
    if (!guard.ok())
        QSKIP("cannot make a folder read-only here");
    QVERIFY(!ImageMagickHelper::mergeToMultiPage({src, src}, folder + QStringLiteral("/m.tif")));
    QVERIFY(!ImageMagickHelper::images2Pdf({src}, folder + QStringLiteral("/m.pdf")));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestImageMagickHelper::toQImage16BitGrey()
{
    const QString path = m_dir.filePath(QStringLiteral("grey16.tif"));
    Magick::Image grey(Magick::Geometry(33, 17), Magick::Color("gray50"));
    grey.type(Magick::GrayscaleType);
    grey.depth(16);
    grey.write(path.toUtf8().toStdString());

    Magick::Image read(path.toUtf8().toStdString());
    QCOMPARE(read.depth(), size_t(16));
    const QImage image = ImageMagickHelper::toQImage(read);
    QCOMPARE(image.size(), QSize(33, 17));
    QCOMPARE(image.format(), QImage::Format_RGB888);
    const QRgb pixel = image.pixel(16, 8);
    QVERIFY(qAbs(qRed(pixel) - 127) <= 1);
    QCOMPARE(qRed(pixel), qGreen(pixel));
    QCOMPARE(qRed(pixel), qBlue(pixel));
}

void TestImageMagickHelper::toQImageInvalid()
{
    QVERIFY(ImageMagickHelper::toQImage(Magick::Image()).isNull());
}

QTEST_GUILESS_MAIN(TestImageMagickHelper)
#include "tst_ImageMagickHelper.moc"
