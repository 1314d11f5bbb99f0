#include "ExifOrientation.h"
#include "FrameReader.h"
#include "JpegFrameReader.h"
#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageTestFiles.h"
#include "TaggedJpeg.h"
#include "TiffFrameReader.h"
#include "TiffPageWriter.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <QtTest>

using PageTestFiles::bytesOf;
using PageTestFiles::writeBytes;

// The libjpeg and libtiff paths must give what the general reader (Magick++)
// gave before them: the same samples as shown, the resolution turned with
// them; what they do not decode exactly goes to the general reader, and
// damaged data is refused.
class TestFrameReader : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray magickPixels(const QString& file, const RasterFrame& like)
    {
        Magick::Image image;
        image.read(file.toUtf8().toStdString());
        ExifOrientation::upright(image);
        QByteArray bytes(like.width * like.height * like.channels * (like.bits / 8), '\0');
        image.write(0, 0, image.columns(), image.rows(), like.channels == 1 ? "I" : "RGB",
                    like.bits == 16 ? Magick::ShortPixel : Magick::CharPixel, bytes.data());
        return bytes;
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

    QString writeTiff(Magick::Image image, const QString& name)
    {
        image.compressType(Magick::LZWCompression);
        image.write("tiff:" + path(name).toUtf8().toStdString());
        return path(name);
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void jpegMatchesTheGeneralReader_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("grey");
        QTest::newRow("upright") << 1 << false;
        QTest::newRow("quarter turn") << 6 << false;
        QTest::newRow("grey, three-quarter turn") << 8 << true;
    }

    void jpegMatchesTheGeneralReader()
    {
        QFETCH(int, orientation);
        QFETCH(bool, grey);
        cv::Mat picture = TaggedJpeg::shown(150, 100);
        if (grey)
            cv::cvtColor(picture, picture, cv::COLOR_BGR2GRAY);
        const QString file =
            writeBytes(path(QStringLiteral("o%1.jpg").arg(orientation)),
                       TaggedJpeg::jpeg(TaggedJpeg::stored(picture, orientation),
                                        TaggedJpeg::payload(orientation), 300, 200));
        RasterFrame frame;
        QCOMPARE(JpegFrameReader::read(file, frame), JpegFrameReader::Status::Read);
        const bool turned = ExifOrientation::swapsSides(orientation);
        QCOMPARE(QSize(frame.width, frame.height), QSize(150, 100));
        QCOMPARE(frame.channels, grey ? 1 : 3);
        QCOMPARE(QSize(frame.dpiX, frame.dpiY), turned ? QSize(200, 300) : QSize(300, 200));
        QVERIFY(frame.pixels == magickPixels(file, frame));
    }

    void tiffMatchesTheGeneralReader_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("grey");
        QTest::newRow("RGB") << 8 << false;
        QTest::newRow("grey 16-bit") << 16 << true;
    }

    void tiffMatchesTheGeneralReader()
    {
        QFETCH(int, depth);
        QFETCH(bool, grey);
        Magick::Image image = noisy(123, 77);
        if (grey)
            image.type(Magick::GrayscaleType);
        image.depth(size_t(depth));
        const QString file =
            writeTiff(image, QStringLiteral("%1.tif").arg(QTest::currentDataTag()));
        RasterFrame frame;
        QCOMPARE(TiffFrameReader::read(file, 0, frame), TiffFrameReader::Status::Read);
        QCOMPARE(QSize(frame.width, frame.height), QSize(123, 77));
        QCOMPARE(frame.channels, grey ? 1 : 3);
        QCOMPARE(frame.bits, depth);
        QCOMPARE(QSize(frame.dpiX, frame.dpiY), QSize(300, 200));
        QVERIFY(frame.pixels == magickPixels(file, frame));
    }

    void tiffBilevelAndLaterFrames()
    {
        // Fax pages as the merge writes them: 0 stored as white.
        RasterFrame page;
        page.width = 20;
        page.height = 3;
        page.channels = 1;
        page.bits = 1;
        page.pixels = QByteArray("\x0f\xf0\x30\xaa\x55\x60\x00\xff\xf0", 9);
        TiffPageWriter writer;
        QVERIFY(writer.open(path("white.tif")) && writer.add(page) && writer.close());
        RasterFrame back;
        QCOMPARE(TiffFrameReader::read(path("white.tif"), 0, back), TiffFrameReader::Status::Read);
        // Only the pad bits after the 20th pixel are the coder's.
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(back.pixels.mid(row * 3, 2), page.pixels.mid(row * 3, 2));
            QCOMPARE(back.pixels.at(row * 3 + 2) & 0xF0, page.pixels.at(row * 3 + 2) & 0xF0);
        }
        // A later frame of a multi-page file.
        RasterFrame blue;
        QCOMPARE(TiffFrameReader::read(MergeTestFiles::writeFrames(path("three.tif"), 3), 2, blue),
                 TiffFrameReader::Status::Read);
        QCOMPARE(blue.pixels.left(3), QByteArray("\x00\x00\xff", 3));
    }

    void damagedDataIsRefused_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("JPEG cut off") << "cut";
        QTest::newRow("JPEG end marker inside the data") << "marker";
        QTest::newRow("TIFF strips overwritten") << "strips";
    }

    // Also: libtiff's messages must not reach Magick++'s handlers, which abort.
    void damagedDataIsRefused()
    {
        QFETCH(QString, damage);
        QString file;
        if (damage == QLatin1String("strips")) {
            file = writeTiff(noisy(300, 200), QStringLiteral("strips.tif"));
            QByteArray bytes = bytesOf(file);
            // Magick++ puts the directory after the strips.
            bytes.replace(bytes.size() / 4, bytes.size() / 4, QByteArray(bytes.size() / 4, '\xff'));
            writeBytes(file, bytes);
        } else {
            file = MergeTestFiles::writeJpeg(path(damage + ".jpg"), 300, 200, 300);
            QByteArray bytes = bytesOf(file);
            if (damage == QLatin1String("cut"))
                bytes.chop(bytes.size() / 2);
            else
                bytes.replace(bytes.size() / 2, 2, QByteArray("\xff\xd9", 2));
            writeBytes(file, bytes);
        }
        RasterFrame frame;
        QString why;
        QVERIFY(!FrameReader::read(file, 0, frame, &why));
        QVERIFY(frame.pixels.isEmpty());
        QVERIFY(!why.isEmpty());
    }

    void otherFilesGoToTheGeneralReader()
    {
        Magick::Image cmyk = noisy(20, 10);
        cmyk.colorSpace(Magick::CMYKColorspace);
        cmyk.write("jpeg:" + path("cmyk.jpg").toUtf8().toStdString());
        RasterFrame frame;
        QCOMPARE(JpegFrameReader::read(path("cmyk.jpg"), frame),
                 JpegFrameReader::Status::NotHandled);
        QVERIFY(FrameReader::read(path("cmyk.jpg"), 0, frame));
        QCOMPARE(frame.channels, 3);
        const QString tiff = writeTiff(cmyk, "cmyk.tif");
        QCOMPARE(TiffFrameReader::read(tiff, 0, frame), TiffFrameReader::Status::NotHandled);
        QVERIFY(FrameReader::read(tiff, 0, frame));
        const QString text = writeBytes(path("text.jpg"), "not a picture\n");
        QCOMPARE(JpegFrameReader::read(text, frame), JpegFrameReader::Status::NotHandled);
        QCOMPARE(FrameReader::frameCount(text), 0);
    }
};

QTEST_GUILESS_MAIN(TestFrameReader)
#include "tst_FrameReader.moc"
