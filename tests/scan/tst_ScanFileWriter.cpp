#include "../imaging/ReadOnlyGuard.h"
#include "ScanFileWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tiffio.h>

Q_DECLARE_METATYPE(ScanRaster)

namespace {

enum Kind
{
    Colour,
    Grey,
    LineArt
};

// A white page, a black square in its upper left part and, on colour pages, a
// red block at the right. Rows carry spare bytes at their ends, as a device's
// padded rows would, and the resolution differs between the axes.
ScanRaster samplePage(Kind kind, int width = 37, int height = 29)
{
    ScanRaster page;
    page.width = width;
    page.height = height;
    page.channels = kind == Colour ? 3 : 1;
    page.bitsPerSample = kind == LineArt ? 1 : 8;
    page.bytesPerLine = (width * page.channels * page.bitsPerSample + 7) / 8 + 3;
    page.xDpi = 300;
    page.yDpi = 150;
    page.data.assign(std::size_t(page.bytesPerLine) * height, kind == LineArt ? 0x00 : 0xff);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = page.data.data() + std::size_t(y) * page.bytesPerLine;
        for (int x = 0; x < width; ++x) {
            const bool black = x >= 4 && x < 16 && y >= 4 && y < 16;
            const bool red = kind == Colour && x >= 20 && x < 34 && y >= 12 && y < 26;
            if (kind == LineArt && black)
                row[x >> 3] |= 0x80 >> (x & 7);
            else if (kind != LineArt && black)
                std::fill_n(row + x * page.channels, page.channels, 0);
            else if (red)
                row[x * 3 + 1] = row[x * 3 + 2] = 0;
        }
    }
    return page;
}

struct ReadBack
{
    QImage image;
    double xDpi = 0, yDpi = 0;
    int compression = -1, photometric = -1, samples = 0, bits = 0, jpegDcStep = 0;
};

ReadBack readBack(const QString& path, TW_UINT16 format)
{
    ReadBack r;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return r;
    const QByteArray bytes = file.readAll();
    if (format == TWFF_TIFF) {
        TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
        if (!tif)
            return r;
        const auto tag = [tif](ttag_t t) {
            quint16 v = 0;
            TIFFGetField(tif, t, &v);
            return int(v);
        };
        quint32 w = 0, h = 0;
        float xres = 0, yres = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        r.compression = tag(TIFFTAG_COMPRESSION);
        r.photometric = tag(TIFFTAG_PHOTOMETRIC);
        r.samples = tag(TIFFTAG_SAMPLESPERPIXEL);
        r.bits = tag(TIFFTAG_BITSPERSAMPLE);
        if (tag(TIFFTAG_RESOLUTIONUNIT) == RESUNIT_INCH &&
            TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) &&
            TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres))
            r.xDpi = xres, r.yDpi = yres;
        QImage image(int(w), int(h), QImage::Format_RGBA8888);
        if (TIFFReadRGBAImageOriented(tif, w, h, reinterpret_cast<quint32*>(image.bits()),
                                      ORIENTATION_TOPLEFT, 0))
            r.image = image;
        TIFFClose(tif);
    } else if (format == TWFF_BMP && bytes.size() > 54) {
        r.image = QImage::fromData(bytes, "BMP");
        r.bits = quint8(bytes[28]);
        r.xDpi = qFromLittleEndian<quint32>(bytes.constData() + 38); // pixels per metre
        r.yDpi = qFromLittleEndian<quint32>(bytes.constData() + 42);
    } else if (format == TWFF_JFIF && bytes.size() > 18 &&
               bytes.mid(6, 5) == QByteArray("JFIF", 5)) {
        r.image = QImage::fromData(bytes, "JPEG");
        const int dqt = bytes.indexOf("\xff\xdb"); // marker, length, table id, entry 0
        r.jpegDcStep = dqt > 0 ? quint8(bytes[dqt + 5]) : 0;
        if (bytes[13] == 1) // density in dots per inch
            r.xDpi = qFromBigEndian<quint16>(bytes.constData() + 14),
            r.yDpi = qFromBigEndian<quint16>(bytes.constData() + 16);
    }
    return r;
}

// Everything in a folder, temporary files included.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

ScanFileRequest request(const QString& path, TW_UINT16 format, TW_UINT16 compression = TWCP_NONE)
{
    ScanFileRequest r;
    r.path = path.toStdString();
    r.format = format;
    r.compression = compression;
    return r;
}

} // namespace

class TstScanFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        umask(022);
        QVERIFY(m_dir.isValid());
    }

    void writesReadableFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("compression");
        QTest::addColumn<int>("storedCompression"); // TIFF tag; -1 elsewhere
        QTest::addColumn<int>("tolerance");

        QTest::newRow("bmp colour") << int(Colour) << int(TWFF_BMP) << int(TWCP_NONE) << -1 << 0;
        QTest::newRow("bmp grey") << int(Grey) << int(TWFF_BMP) << int(TWCP_NONE) << -1 << 0;
        QTest::newRow("bmp line art") << int(LineArt) << int(TWFF_BMP) << int(TWCP_NONE) << -1 << 0;
        QTest::newRow("jfif colour") << int(Colour) << int(TWFF_JFIF) << int(TWCP_NONE) << -1 << 60;
        QTest::newRow("jfif grey") << int(Grey) << int(TWFF_JFIF) << int(TWCP_NONE) << -1 << 40;
        QTest::newRow("jfif line art")
            << int(LineArt) << int(TWFF_JFIF) << int(TWCP_NONE) << -1 << 40;

        // The stored scheme where it is not the one asked for: what each kind
        // falls back to, and the names libtiff gives the zlib schemes.
        const int colour = Colour, grey = Grey, lineArt = LineArt, tiff = TWFF_TIFF;
        QTest::newRow("tiff colour none")
            << colour << tiff << int(TWCP_NONE) << COMPRESSION_NONE << 0;
        QTest::newRow("tiff grey packbits")
            << grey << tiff << int(TWCP_PACKBITS) << COMPRESSION_PACKBITS << 0;
        QTest::newRow("tiff line art lzw")
            << lineArt << tiff << int(TWCP_LZW) << COMPRESSION_LZW << 0;
        QTest::newRow("tiff colour png")
            << colour << tiff << int(TWCP_PNG) << COMPRESSION_ADOBE_DEFLATE << 0;
        QTest::newRow("tiff colour jpeg")
            << colour << tiff << int(TWCP_JPEG) << COMPRESSION_JPEG << 60;
        QTest::newRow("tiff grey jpeg") << grey << tiff << int(TWCP_JPEG) << COMPRESSION_JPEG << 60;
        QTest::newRow("tiff line art jpeg")
            << lineArt << tiff << int(TWCP_JPEG) << COMPRESSION_CCITTFAX4 << 0;
        QTest::newRow("tiff grey group4")
            << grey << tiff << int(TWCP_GROUP4) << COMPRESSION_LZW << 0;
        QTest::newRow("tiff line art group4")
            << lineArt << tiff << int(TWCP_GROUP4) << COMPRESSION_CCITTFAX4 << 0;
    }
    void writesReadableFile()
    {
        QFETCH(int, kind);
        QFETCH(int, format);
        QFETCH(int, compression);
        QFETCH(int, storedCompression);
        QFETCH(int, tolerance);

        // Every page goes to a folder whose name has spaces and Chinese in it.
        const QString folder = m_dir.filePath(QStringLiteral("扫描 页面 %1").arg(++m_serial));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/第 1 页.out");
        const ScanRaster page = samplePage(Kind(kind));
        ScanFileRequest req = request(path, TW_UINT16(format), TW_UINT16(compression));
        // Each kind tries another JPEG quality; libjpeg scales its luminance table,
        // whose first entry is 16 at quality 50, by it.
        const int qualities[] = {TWJQ_HIGH, TWJQ_LOW, TWJQ_UNKNOWN}, dcSteps[] = {3, 16, 8};
        req.jpegQuality = TW_INT16(qualities[kind]);
        QCOMPARE(writeScanFile(page, req), TW_UINT16(TWCC_SUCCESS));
        QCOMPARE(entries(folder), QStringList{QStringLiteral("第 1 页.out")});
        QVERIFY(QFile::permissions(path) & QFile::ReadOther);

        const ReadBack r = readBack(path, TW_UINT16(format));
        QVERIFY(!r.image.isNull());
        QCOMPARE(r.image.size(), QSize(page.width, page.height));
        if (format == TWFF_BMP) {
            QCOMPARE(r.xDpi, 11811.0);
            QCOMPARE(r.yDpi, 5906.0);
            QCOMPARE(r.bits, kind == Colour ? 24 : kind == Grey ? 8 : 1);
        } else {
            QCOMPARE(r.xDpi, 300.0);
            QCOMPARE(r.yDpi, 150.0);
        }
        if (format == TWFF_JFIF) {
            QCOMPARE(r.image.isGrayscale(), kind != Colour);
            QCOMPARE(r.jpegDcStep, dcSteps[kind]);
        }
        if (format == TWFF_TIFF) {
            QCOMPARE(r.compression, storedCompression);
            QCOMPARE(r.samples, kind == Colour ? 3 : 1);
            QCOMPARE(r.bits, kind == LineArt ? 1 : 8);
            const int photometric = kind == LineArt                         ? PHOTOMETRIC_MINISWHITE
                                    : kind == Grey                          ? PHOTOMETRIC_MINISBLACK
                                    : storedCompression == COMPRESSION_JPEG ? PHOTOMETRIC_YCBCR
                                                                            : PHOTOMETRIC_RGB;
            QCOMPARE(r.photometric, photometric);
        }

        // Sample well inside each area; lossy formats get a margin.
        const auto near = [&](QPoint p, QRgb want) {
            const QRgb got = r.image.pixel(p);
            return qAbs(qRed(got) - qRed(want)) <= tolerance &&
                   qAbs(qGreen(got) - qGreen(want)) <= tolerance &&
                   qAbs(qBlue(got) - qBlue(want)) <= tolerance;
        };
        for (const QPoint p : {QPoint(4, 4), QPoint(15, 15), QPoint(9, 10)})
            QVERIFY2(near(p, qRgb(0, 0, 0)), qPrintable(QString::number(r.image.pixel(p), 16)));
        for (const QPoint p : {QPoint(0, 0), QPoint(36, 0), QPoint(16, 4), QPoint(0, 28)})
            QVERIFY2(near(p, qRgb(255, 255, 255)),
                     qPrintable(QString::number(r.image.pixel(p), 16)));
        if (kind == Colour)
            QVERIFY(near(QPoint(27, 19), qRgb(255, 0, 0)));
    }

    void rotatesClockwise_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("turns");
        QTest::newRow("colour 90") << int(Colour) << 1;
        QTest::newRow("grey 270") << int(Grey) << 3;
        for (int turns : {1, 2, 3})
            QTest::addRow("line art %d", turns * 90) << int(LineArt) << turns;
    }
    void rotatesClockwise()
    {
        QFETCH(int, kind);
        QFETCH(int, turns);
        // 11 × 5 with two marks on the top row: the corner one and its right-hand
        // neighbour, so a mirror image cannot pass for a turn.
        ScanRaster page = samplePage(Kind(kind), 11, 5);
        std::fill(page.data.begin(), page.data.end(), kind == LineArt ? 0x00 : 0xff);
        const auto mark = [&](ScanRaster& p, int x, int y) {
            std::uint8_t* row = p.data.data() + std::size_t(y) * p.bytesPerLine;
            if (kind == LineArt)
                row[x >> 3] |= 0x80 >> (x & 7);
            else
                row[x * p.channels] = 0; // red in colour is left, so one channel marks it
        };
        const auto marked = [&](const ScanRaster& p, int x, int y) {
            const std::uint8_t* row = p.data.data() + std::size_t(y) * p.bytesPerLine;
            return kind == LineArt ? bool(row[x >> 3] & (0x80 >> (x & 7)))
                                   : row[x * p.channels] == 0;
        };
        mark(page, 0, 0);
        mark(page, 1, 0);
        const ScanRaster original = page;

        rotateScanRaster(page, turns);
        const bool sideways = turns % 2;
        QCOMPARE(page.width, sideways ? 5 : 11);
        QCOMPARE(page.height, sideways ? 11 : 5);
        QCOMPARE(page.xDpi, sideways ? 150.0 : 300.0);
        QCOMPARE(page.yDpi, sideways ? 300.0 : 150.0);
        QCOMPARE(page.bytesPerLine, (page.width * page.channels * page.bitsPerSample + 7) / 8);
        QCOMPARE(page.data.size(), std::size_t(page.bytesPerLine) * page.height);

        const QPoint corner = turns == 1   ? QPoint(4, 0)
                              : turns == 2 ? QPoint(10, 4)
                                           : QPoint(0, 10);
        const QPoint next = turns == 1 ? QPoint(4, 1) : turns == 2 ? QPoint(9, 4) : QPoint(0, 9);
        int marks = 0;
        for (int y = 0; y < page.height; ++y)
            for (int x = 0; x < page.width; ++x)
                marks += marked(page, x, y);
        QCOMPARE(marks, 2);
        QVERIFY(marked(page, corner.x(), corner.y()));
        QVERIFY(marked(page, next.x(), next.y()));

        // Turning the rest of the way round gives back every pixel.
        rotateScanRaster(page, 4 - turns);
        for (int y = 0; y < original.height; ++y)
            QVERIFY(std::equal(page.data.begin() + y * page.bytesPerLine,
                               page.data.begin() + (y + 1) * page.bytesPerLine,
                               original.data.begin() + y * original.bytesPerLine));
    }

    void existingTargetIsLeftAlone()
    {
        const QString folder = m_dir.filePath("taken");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/page.bmp";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("an earlier page");
        file.close();
        for (TW_UINT16 format : {TWFF_BMP, TWFF_TIFF, TWFF_JFIF})
            QCOMPARE(writeScanFile(samplePage(Colour), request(path, format)),
                     TW_UINT16(TWCC_FILEEXISTS));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("an earlier page"));
        QCOMPARE(entries(folder), QStringList{"page.bmp"});
    }

    void failsLeavingNothing_data()
    {
        QTest::addColumn<ScanRaster>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("compression");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to; 0 for none, -1 read-only
        QTest::addColumn<int>("code");

        const ScanRaster colour = samplePage(Colour);
        ScanRaster shortData = colour, narrowRows = colour;
        shortData.data.pop_back();
        narrowRows.bytesPerLine = colour.width * 3 - 1;
        // Noise keeps every encoder's output well past a small size limit, which
        // stands in for a full disk.
        ScanRaster noise = samplePage(Colour, 400, 300);
        std::generate(noise.data.begin(), noise.data.end(), [n = 1u]() mutable {
            n = n * 1103515245u + 12345u;
            return std::uint8_t(n >> 16);
        });
        const int bad = TWCC_BADVALUE, writeError = TWCC_FILEWRITEERROR, denied = TWCC_DENIED;
        const int bmp = TWFF_BMP, tiff = TWFF_TIFF, jfif = TWFF_JFIF;

        QTest::newRow("png format") << colour << "a.png" << int(TWFF_PNG) << 0 << -2 << 0 << bad;
        QTest::newRow("tiff group 3")
            << colour << "a.tif" << tiff << int(TWCP_GROUP31D) << -2 << 0 << bad;
        QTest::newRow("quality 101") << colour << "a.jpg" << jfif << 0 << 101 << 0 << bad;
        QTest::newRow("short data") << shortData << "a.bmp" << bmp << 0 << -2 << 0 << bad;
        QTest::newRow("narrow rows") << narrowRows << "a.bmp" << bmp << 0 << -2 << 0 << bad;
        QTest::newRow("no name") << colour << "" << bmp << 0 << -2 << 0 << bad;
        QTest::newRow("name too long")
            << colour << QString(90, QChar(0x9875)) + ".tif" << tiff << 0 << -2 << 0 << writeError;
        QTest::newRow("read-only folder") << colour << "a.tif" << tiff << 0 << -2 << -1 << denied;
        QTest::newRow("no such folder")
            << colour << "absent/a.tif" << tiff << 0 << -2 << 0 << denied;
        QTest::newRow("bmp disk full") << noise << "a" << bmp << 0 << -2 << 4096 << writeError;
        QTest::newRow("tiff jpeg disk full")
            << noise << "a" << tiff << int(TWCP_JPEG) << -2 << 4096 << writeError;
    }
    void failsLeavingNothing()
    {
        QFETCH(ScanRaster, page);
        QFETCH(QString, name);
        QFETCH(int, format);
        QFETCH(int, compression);
        QFETCH(int, quality);
        QFETCH(int, sizeLimit);
        QFETCH(int, code);
        const QString folder = m_dir.filePath(QStringLiteral("失败 %1").arg(++m_serial));
        QVERIFY(QDir().mkpath(folder));
        ScanFileRequest r = request(folder + "/" + name, TW_UINT16(format), TW_UINT16(compression));
        r.jpegQuality = TW_INT16(quality);

        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit limited = saved;
        limited.rlim_cur = sizeLimit > 0 ? rlim_t(sizeLimit) : saved.rlim_cur;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        TW_UINT16 result;
        {
            ReadOnlyGuard readOnly(sizeLimit < 0 ? folder : QString());
            QVERIFY(sizeLimit >= 0 || readOnly.ok());
            result = writeScanFile(page, r);
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(result, TW_UINT16(code));
        QVERIFY(entries(folder).isEmpty());
    }

private:
    QTemporaryDir m_dir;
    int m_serial = 0;
};

QTEST_MAIN(TstScanFileWriter)
#include "tst_ScanFileWriter.moc"
