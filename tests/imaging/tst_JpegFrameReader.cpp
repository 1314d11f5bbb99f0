#include "ExifOrientation.h"
#include "FrameReader.h"
#include "JpegFrameReader.h"
#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageTestFiles.h"
#include "TaggedJpeg.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <QtTest>

using PageTestFiles::bytesOf;
using PageTestFiles::writeBytes;
using Status = JpegFrameReader::Status;

// The libjpeg path for JPEG pages must give what the general reader gave
// before it: the same pixels as shown, the resolution turned with them, and
// damaged files refused.
class TestJpegFrameReader : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // The page as Magick++ decodes and turns it, in the frame's sample layout.
    static QByteArray magickPixels(const QString& file, int channels)
    {
        Magick::Image image;
        image.read(file.toUtf8().toStdString());
        ExifOrientation::upright(image);
        QByteArray bytes(int(image.columns() * image.rows()) * channels, '\0');
        image.write(0, 0, image.columns(), image.rows(), channels == 1 ? "I" : "RGB",
                    Magick::CharPixel, bytes.data());
        return bytes;
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void pagesMatchTheGeneralReader_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("grey");
        QTest::newRow("upright") << 1 << false;
        QTest::newRow("upside down") << 3 << false;
        QTest::newRow("quarter turn") << 6 << false;
        QTest::newRow("mirrored quarter turn") << 7 << false;
        QTest::newRow("grey, three-quarter turn") << 8 << true;
    }

    void pagesMatchTheGeneralReader()
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
        QCOMPARE(JpegFrameReader::read(file, frame), Status::Read);
        const bool turned = ExifOrientation::swapsSides(orientation);
        QCOMPARE(frame.width, 150);
        QCOMPARE(frame.height, 100);
        QCOMPARE(frame.channels, grey ? 1 : 3);
        QCOMPARE(frame.bits, 8);
        QCOMPARE(frame.dpiX, turned ? 200 : 300);
        QCOMPARE(frame.dpiY, turned ? 300 : 200);
        QVERIFY(frame.pixels == magickPixels(file, frame.channels));
    }

    void damagedDataIsRefused_data()
    {
        QTest::addColumn<int>("damage");
        QTest::newRow("cut off") << 0;
        QTest::newRow("end marker inside the data") << 1;
    }

    void damagedDataIsRefused()
    {
        QFETCH(int, damage);
        const QString file =
            MergeTestFiles::writeJpeg(path(QStringLiteral("d%1.jpg").arg(damage)), 300, 200, 300);
        if (damage == 0) {
            MergeTestFiles::truncate(file);
        } else {
            QByteArray bytes = bytesOf(file);
            bytes.replace(bytes.size() / 2, 2, QByteArray("\xff\xd9", 2));
            writeBytes(file, bytes);
        }
        RasterFrame frame;
        QString why;
        QCOMPARE(JpegFrameReader::read(file, frame, &why), Status::Damaged);
        QVERIFY(frame.pixels.isEmpty());
        QVERIFY(!why.isEmpty());
        QVERIFY(!FrameReader::read(file, 0, frame));
    }

    // CMYK and files that are no JPEG at all go to the general reader.
    void otherFilesAreLeftToTheGeneralReader()
    {
        Magick::Image cmyk(Magick::Geometry(40, 30), Magick::Color("orange"));
        cmyk.colorSpace(Magick::CMYKColorspace);
        const QString cmykFile = path(QStringLiteral("cmyk.jpg"));
        cmyk.write("jpeg:" + cmykFile.toUtf8().toStdString());
        const QString text = writeBytes(path(QStringLiteral("text.jpg")), "not a picture\n");

        RasterFrame frame;
        QCOMPARE(JpegFrameReader::read(cmykFile, frame), Status::NotHandled);
        QCOMPARE(JpegFrameReader::read(text, frame), Status::NotHandled);
        QVERIFY(FrameReader::read(cmykFile, 0, frame));
        QCOMPARE(frame.channels, 3);
        QCOMPARE(FrameReader::frameCount(text), 0);
    }
};

QTEST_GUILESS_MAIN(TestJpegFrameReader)
#include "tst_JpegFrameReader.moc"
