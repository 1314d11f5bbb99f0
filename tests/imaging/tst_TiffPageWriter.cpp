#include "TiffPageWriter.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <tiffio.h>

// Pages whose strips are coded side by side, or stored plain, must read back
// bit for bit, in order, whatever the sample layout and however the last strip is cut.
class TestTiffPageWriter : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    // Noise with some flat runs, so LZW and the predictor both have work.
    static RasterFrame page(int width, int height, int channels, int bits, quint32 seed)
    {
        RasterFrame frame;
        frame.width = width;
        frame.height = height;
        frame.channels = channels;
        frame.bits = bits;
        frame.dpiX = 300;
        frame.dpiY = 200;
        frame.pixels = QByteArray(frame.bytesPerRow() * height, '\0');
        QRandomGenerator random(seed);
        for (int i = 0; i < frame.pixels.size(); ++i)
            frame.pixels[i] = (i / 97) % 3 == 0 ? char(0xF0) : char(random.bounded(256));
        return frame;
    }

    // The rows of one directory as stored, or empty when it cannot be read.
    static QByteArray rowsOf(TIFF* tiff)
    {
        uint32_t height = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        QByteArray rows;
        QByteArray row(int(TIFFScanlineSize(tiff)), '\0');
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, row.data(), y) < 0)
                return QByteArray();
            rows += row;
        }
        return rows;
    }

private slots:
    void stripsReadBackExactly_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("lzw");
        // 512 KB strips: 174 rows of 1000 RGB pixels, so 1001 rows end in a short strip.
        QTest::newRow("LZW RGB, many strips, short last") << 1000 << 1001 << 3 << 8 << true;
        QTest::newRow("LZW RGB, one row") << 1000 << 1 << 3 << 8 << true;
        QTest::newRow("LZW grey and alpha") << 777 << 900 << 2 << 8 << true;
        QTest::newRow("LZW 16-bit grey") << 640 << 1300 << 1 << 16 << true;
        QTest::newRow("LZW RGBA") << 300 << 1200 << 4 << 8 << true;
        // Stored plain the strips share the layout code: one shape is enough.
        QTest::newRow("plain RGB, many strips, short last") << 1000 << 1001 << 3 << 8 << false;
    }

    void stripsReadBackExactly()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(bool, lzw);
        const QString out = m_dir.filePath(QStringLiteral("%1.tif").arg(QTest::currentDataTag()));
        const RasterFrame first = page(width, height, channels, bits, 1);
        const RasterFrame second = page(width / 2 + 1, height, channels, bits, 2);
        TiffPageWriter writer;
        writer.setLzw(lzw);
        QVERIFY(writer.open(out));
        QVERIFY(writer.add(first));
        QVERIFY(writer.add(second));
        QVERIFY(writer.close());

        TIFF* tiff = TIFFOpen(QFile::encodeName(out).constData(), "r");
        QVERIFY(tiff);
        QCOMPARE(TIFFNumberOfDirectories(tiff), 2);
        uint16_t compression = 0;
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        QCOMPARE(compression, uint16_t(lzw ? COMPRESSION_LZW : COMPRESSION_NONE));
        float dpiY = 0;
        TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &dpiY);
        QCOMPARE(dpiY, 200.0f);
        const QByteArray firstRows = rowsOf(tiff);
        QVERIFY(TIFFReadDirectory(tiff));
        const QByteArray secondRows = rowsOf(tiff);
        TIFFClose(tiff);
        QVERIFY(firstRows == first.pixels);
        QVERIFY(secondRows == second.pixels);
    }
};

QTEST_GUILESS_MAIN(TestTiffPageWriter)
#include "tst_TiffPageWriter.moc"
