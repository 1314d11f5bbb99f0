#include "FrameReader.h"
#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageFile.h"
#include "PageTestFiles.h"
#include "TiffFrameReader.h"
#include "TiffPageWriter.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <QtTest>

using Status = TiffFrameReader::Status;

// TIFF frames decoded by libtiff must be what the general reader gave before
// it, sample for sample, with the same resolution; what it does not decode
// exactly goes to the general reader, and damaged strips are refused.
class TestTiffFrameReader : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QString write(Magick::Image image, const QString& file, const char* compression)
    {
        image.defineValue("tiff", "compression", compression);
        image.compressType(QByteArray(compression) == "lzw"   ? Magick::LZWCompression
                           : QByteArray(compression) == "zip" ? Magick::ZipCompression
                                                              : Magick::NoCompression);
        image.write("tiff:" + file.toUtf8().toStdString());
        return file;
    }

    static Magick::Image noisy(int width, int height)
    {
        Magick::Image image(Magick::Geometry(width, height), Magick::Color("#c08040"));
        image.addNoise(Magick::GaussianNoise);
        image.depth(8);
        image.resolutionUnits(Magick::PixelsPerInchResolution);
        image.density(Magick::Geometry(300, 200));
        return image;
    }

    // The frame as the general reader (Magick++) gives it.
    static QByteArray magickPixels(const QString& file, const RasterFrame& like)
    {
        Magick::Image image;
        image.read(file.toUtf8().toStdString());
        const std::string map = like.channels == 1 ? "I" : "RGB";
        const int sampleBytes = like.bits == 16 ? 2 : 1;
        QByteArray bytes(like.width * like.height * like.channels * sampleBytes, '\0');
        image.write(0, 0, image.columns(), image.rows(), map,
                    like.bits == 16 ? Magick::ShortPixel : Magick::CharPixel, bytes.data());
        return bytes;
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void framesMatchTheGeneralReader_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("compression");
        QTest::newRow("RGB, LZW") << "rgb"
                                  << "lzw";
        QTest::newRow("RGB, Deflate") << "rgb"
                                      << "zip";
        QTest::newRow("grey 16-bit, none") << "grey16"
                                           << "none";
        QTest::newRow("grey 8-bit, LZW") << "grey8"
                                         << "lzw";
    }

    void framesMatchTheGeneralReader()
    {
        QFETCH(QString, kind);
        QFETCH(QString, compression);
        Magick::Image image = noisy(123, 77);
        if (kind != QLatin1String("rgb")) {
            image.type(Magick::GrayscaleType);
            image.depth(kind == QLatin1String("grey16") ? 16 : 8);
        }
        const QString file =
            write(image, path(kind + compression + ".tif"), compression.toLatin1().constData());
        RasterFrame frame;
        QCOMPARE(TiffFrameReader::read(file, 0, frame), Status::Read);
        QCOMPARE(frame.width, 123);
        QCOMPARE(frame.height, 77);
        QCOMPARE(frame.channels, kind == QLatin1String("rgb") ? 3 : 1);
        QCOMPARE(frame.bits, kind == QLatin1String("grey16") ? 16 : 8);
        QCOMPARE(frame.dpiX, 300);
        QCOMPARE(frame.dpiY, 200);
        QVERIFY(frame.pixels == magickPixels(file, frame));
    }

    void bilevelAndLaterFrames()
    {
        RasterFrame fax;
        QCOMPARE(TiffFrameReader::read(MergeTestFiles::writeBilevel(path("bw.tif")), 0, fax),
                 Status::Read);
        QCOMPARE(fax.bits, 1);
        // Left half black (0 bits), right half white.
        QCOMPARE(fax.pixels.left(8), QByteArray("\x00\x00\x00\x00\xff\xff\xff\xff", 8));
        // Fax pages as this program writes them: 0 stored as white.
        RasterFrame page;
        page.width = 20;
        page.height = 3;
        page.channels = 1;
        page.bits = 1;
        page.pixels = QByteArray("\x0f\xf0\x30\xaa\x55\x60\x00\xff\xf0", 9);
        TiffPageWriter writer;
        QVERIFY(writer.open(path("white.tif")) && writer.add(page) && writer.close());
        RasterFrame back;
        QCOMPARE(TiffFrameReader::read(path("white.tif"), 0, back), Status::Read);
        QCOMPARE(back.bits, 1);
        // The pad bits after the 20th pixel are the coder's, not the page's.
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(back.pixels.mid(row * 3, 2), page.pixels.mid(row * 3, 2));
            QCOMPARE(back.pixels.at(row * 3 + 2) & 0xF0, page.pixels.at(row * 3 + 2) & 0xF0);
        }
        const QString three = MergeTestFiles::writeFrames(path("three.tif"), 3);
        RasterFrame blue;
        QCOMPARE(TiffFrameReader::read(three, 2, blue), Status::Read);
        QCOMPARE(blue.width, 62);
        QCOMPARE(blue.dpiX, 200);
        QCOMPARE(blue.pixels.left(3), QByteArray("\x00\x00\xff", 3));
        QCOMPARE(TiffFrameReader::read(three, 3, blue), Status::NotHandled);
    }

    void centimetreResolutionRoundsAsBefore()
    {
        Magick::Image image = noisy(40, 30);
        image.resolutionUnits(Magick::PixelsPerCentimeterResolution);
        image.density(Magick::Geometry(118, 118)); // 299.72 dpi
        const QString file = write(image, path("cm.tif"), "lzw");
        RasterFrame frame;
        QCOMPARE(TiffFrameReader::read(file, 0, frame), Status::Read);
        int dpiX = 0;
        int dpiY = 0;
        cv::Mat general;
        QVERIFY(PageFile::loadWithDensity(file, general, dpiX, dpiY));
        QCOMPARE(frame.dpiX, dpiX);
        QCOMPARE(frame.dpiY, dpiY);
    }

    void otherLayoutsGoToTheGeneralReader()
    {
        Magick::Image cmyk = noisy(20, 10);
        cmyk.colorSpace(Magick::CMYKColorspace);
        Magick::Image palette = noisy(20, 10);
        palette.type(Magick::PaletteType);
        Magick::Image turned = noisy(20, 10);
        turned.orientation(Magick::RightTopOrientation);
        for (const auto& [name, image] :
             {std::make_pair("cmyk", cmyk), std::make_pair("palette", palette),
              std::make_pair("turned", turned)}) {
            const QString file = write(image, path(QString::fromLatin1(name) + ".tif"), "lzw");
            RasterFrame frame;
            QCOMPARE(TiffFrameReader::read(file, 0, frame), Status::NotHandled);
            QVERIFY2(FrameReader::read(file, 0, frame), name);
        }
    }

    void damagedStripsAreRefused()
    {
        const QString file = write(noisy(300, 200), path("cut.tif"), "lzw");
        // Magick++ puts the directory after the strips: spoil the strips' middle.
        QByteArray bytes = PageTestFiles::bytesOf(file);
        for (int i = bytes.size() / 4; i < bytes.size() / 2; ++i)
            bytes[i] = char(0xFF);
        PageTestFiles::writeBytes(file, bytes);
        RasterFrame frame;
        QString why;
        QCOMPARE(TiffFrameReader::read(file, 0, frame, &why), Status::Damaged);
        QVERIFY(frame.pixels.isEmpty());
        QVERIFY(!why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTiffFrameReader)
#include "tst_TiffFrameReader.moc"
