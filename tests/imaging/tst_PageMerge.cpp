#include "FrameReader.h"
#include "JpegHeader.h"
#include "MagickRuntime.h"
#include "MergeTestFiles.h"
#include "PageMerge.h"
#include "PageTestFiles.h"
#include "TaggedJpeg.h"

#include <QTemporaryDir>
#include <QtTest>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <tiffio.h>

using namespace MergeTestFiles;
using PageTestFiles::bytesOf;
using PageTestFiles::writeBytes;
using PageTestFiles::writePage;

// Merging to PDF and multi-page TIFF on real files: streams, sizes, frames,
// damaged input and the archival structure, read back with qpdf and libtiff.
class TestPageMerge : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static PageMerge::Result merge(const QStringList& sources, const QString& destination,
                                   bool pdfa = false)
    {
        PageMerge::Options options;
        options.format = PageMerge::formatFor(destination);
        options.pdfa = pdfa;
        return PageMerge::merge(sources, destination, options);
    }

    static QPDFObjectHandle image(QPDFPageObjectHelper& page)
    {
        return page.getObjectHandle().getKey("/Resources").getKey("/XObject").getKey("/Im0");
    }

    static QByteArray raw(QPDFObjectHandle stream)
    {
        const std::shared_ptr<Buffer> data = stream.getRawStreamData();
        return QByteArray(reinterpret_cast<const char*>(data->getBuffer()), int(data->getSize()));
    }

    static QByteArray decoded(QPDFObjectHandle stream)
    {
        const std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
        return QByteArray(reinterpret_cast<const char*>(data->getBuffer()), int(data->getSize()));
    }

    // Rows of a Group 4 stream as a PDF reader gets them (0 black), decoded by
    // libtiff from a one-strip TIFF made around it.
    QByteArray faxRows(const QByteArray& coded, int width, int height) const
    {
        const QByteArray name = QFile::encodeName(path("fax-check.tif"));
        TIFF* out = TIFFOpen(name.constData(), "w");
        TIFFSetField(out, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(out, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, uint32_t(height));
        TIFFWriteRawStrip(out, 0, const_cast<char*>(coded.constData()), coded.size());
        TIFFClose(out);
        QByteArray rows;
        TIFF* in = TIFFOpen(name.constData(), "r");
        if (!in)
            return rows;
        QByteArray row(int(TIFFScanlineSize(in)), '\0');
        for (int y = 0; y < height && TIFFReadScanline(in, row.data(), uint32_t(y)) >= 0; ++y) {
            for (char& byte : row)
                byte = char(~byte);
            rows += row;
        }
        TIFFClose(in);
        return rows;
    }

    static double mediaWidth(QPDFPageObjectHelper& page)
    {
        return page.getObjectHandle().getKey("/MediaBox").getArrayItem(2).getNumericValue();
    }

    QStringList leftovers() const
    {
        return QDir(m_dir.path()).entryList({".tarvo-*"}, QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase() { MagickRuntime::ensureInitialised(); }

    void twentyJpegPagesKeepTheirBytesAndSizes()
    {
        QStringList sources;
        QList<int> dpis;
        for (int i = 0; i < 20; ++i) {
            const int dpi = QList<int>{150, 200, 300, 600, 0}.at(i % 5);
            dpis.append(dpi == 0 ? 300 : dpi);
            sources.append(writeJpeg(path(QStringLiteral("页%1.jpg").arg(i)), 240, 340, dpi, i));
        }
        const QString out = path("合并.pdf");
        const PageMerge::Result result = merge(sources, out);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.pages, 20);

        QPDF pdf;
        pdf.processFile(out.toUtf8().constData());
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        QCOMPARE(int(pages.size()), 20);
        for (int i = 0; i < 20; ++i) {
            QPDFObjectHandle picture = image(pages[size_t(i)]);
            QCOMPARE(QString::fromStdString(picture.getDict().getKey("/Filter").getName()),
                     QStringLiteral("/DCTDecode"));
            QCOMPARE(raw(picture), bytesOf(sources.at(i)));
            QCOMPARE(mediaWidth(pages[size_t(i)]), 240 * 72.0 / dpis.at(i));
        }
        // Page by page around the JPEG data: little beyond it.
        qint64 jpegBytes = 0;
        for (const QString& source : sources)
            jpegBytes += QFileInfo(source).size();
        QVERIFY(QFileInfo(out).size() < jpegBytes + 20 * 600);
        QCOMPARE(leftovers(), QStringList());
    }

    void turnedJpegsKeepTheirBytes_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("rotate"); // -1: decoded, as PDF cannot mirror a page
        QTest::newRow("upright") << 1 << 0;
        QTest::newRow("right") << 6 << 90;
        QTest::newRow("left") << 8 << 270;
        QTest::newRow("mirrored") << 2 << -1;
    }
    void turnedJpegsKeepTheirBytes()
    {
        QFETCH(int, orientation);
        QFETCH(int, rotate);
        const cv::Mat stored = TaggedJpeg::stored(TaggedJpeg::shown(96, 64), orientation);
        const QString page = writeBytes(
            path("turned.jpg"),
            TaggedJpeg::jpeg(stored, TaggedJpeg::payload(orientation, orientation == 8), 200, 200));
        JpegHeader header;
        QVERIFY(JpegHeader::inspect(page, header));
        QCOMPARE(header.orientation, orientation);

        const QString out = path("turned.pdf");
        QFile::remove(out);
        QVERIFY(merge({page}, out).ok);
        QPDF pdf;
        pdf.processFile(out.toUtf8().constData());
        QPDFPageObjectHelper first = QPDFPageDocumentHelper(pdf).getAllPages().front();
        QPDFObjectHandle picture = image(first);
        const bool embedded = picture.getDict().getKey("/Filter").getName() == "/DCTDecode";
        QCOMPARE(embedded, rotate >= 0);
        if (!embedded)
            return;
        QCOMPARE(raw(picture), bytesOf(page));
        QPDFObjectHandle turn = first.getObjectHandle().getKey("/Rotate");
        QCOMPARE(turn.isInteger() ? int(turn.getIntValue()) : 0, rotate);
    }

    void everyKindOfPageGoesInLosslessly()
    {
        const QString bilevel = writeBilevel(path("bw.tif"));
        const QString frames = writeFrames(path("three.tif"), 3);
        // A level no 8-bit sample can hold, so the PNG keeps 16 bits.
        Magick::Image grey(Magick::Geometry(30, 20), Magick::Color(0x1234, 0x1234, 0x1234));
        grey.type(Magick::GrayscaleType);
        grey.depth(16);
        grey.write(path("grey16.png").toUtf8().toStdString());
        Magick::Image clear(Magick::Geometry(30, 20), Magick::Color("rgba(255,0,0,0.5)"));
        clear.write(path("alpha.png").toUtf8().toStdString());
        const QString out = path("mixed.pdf");
        const PageMerge::Result result =
            merge({bilevel, frames, path("grey16.png"), path("alpha.png")}, out);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.pages, 6);

        QPDF pdf;
        pdf.processFile(out.toUtf8().constData());
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        QCOMPARE(int(pages.size()), 6);
        // Bilevel: Group 4 coded, decoding to the page's bits (left half black).
        QPDFObjectHandle bw = image(pages[0]);
        QCOMPARE(QString::fromStdString(bw.getDict().getKey("/Filter").getName()),
                 QStringLiteral("/CCITTFaxDecode"));
        QCOMPARE(bw.getDict().getKey("/DecodeParms").getKey("/K").getIntValue(), -1LL);
        QCOMPARE(bw.getDict().getKey("/BitsPerComponent").getIntValue(), 1LL);
        const QByteArray bits = faxRows(raw(bw), 64, 32);
        QCOMPARE(bits.size(), 8 * 32);
        QCOMPARE(bits.left(8), QByteArray("\x00\x00\x00\x00\xff\xff\xff\xff", 8));
        QCOMPARE(bits.right(8), bits.left(8));
        // Every frame of the TIFF, with its own size and colour.
        for (int i = 0; i < 3; ++i) {
            QPDFObjectHandle frame = image(pages[size_t(1 + i)]);
            QCOMPARE(frame.getDict().getKey("/Width").getIntValue(), 60LL + i);
            QCOMPARE(mediaWidth(pages[size_t(1 + i)]), (60 + i) * 72.0 / 200);
        }
        QCOMPARE(decoded(image(pages[1])).left(3), QByteArray("\xff\x00\x00", 3));
        QCOMPARE(image(pages[4]).getDict().getKey("/BitsPerComponent").getIntValue(), 16LL);
        QCOMPARE(decoded(image(pages[4])).size(), 30 * 20 * 2);
        QCOMPARE(decoded(image(pages[4])).left(2), QByteArray("\x12\x34"));
        QVERIFY(image(pages[5]).getDict().getKey("/SMask").isStream());
    }

    void tiffMergeKeepsFramesAndCodesBilevelAsGroup4()
    {
        const QStringList sources = {writeFrames(path("t3.tif"), 3),
                                     writeJpeg(path("photo.jpg"), 50, 70, 150),
                                     writeBilevel(path("fax.tif"))};
        const QString out = path("merged.tif");
        QVERIFY(merge(sources, out).ok);
        QCOMPARE(PageMerge::countPages(out, PageMerge::Format::Tiff), 5);
        TIFF* tiff = TIFFOpen(out.toUtf8().constData(), "r");
        QVERIFY(tiff);
        QList<int> compressions;
        do {
            uint16_t compression = 0;
            TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
            compressions.append(compression);
        } while (TIFFReadDirectory(tiff));
        TIFFClose(tiff);
        QCOMPARE(compressions, (QList<int>{COMPRESSION_LZW, COMPRESSION_LZW, COMPRESSION_LZW,
                                           COMPRESSION_LZW, COMPRESSION_CCITTFAX4}));
        RasterFrame photo;
        QVERIFY(FrameReader::read(out, 3, photo));
        QCOMPARE(photo.dpiX, 150);
        RasterFrame fax;
        QVERIFY(FrameReader::read(out, 4, fax));
        QCOMPARE(fax.bits, 1);
        QCOMPARE(uchar(fax.pixels.at(0)), uchar(0x00));
        QCOMPARE(uchar(fax.pixels.at(7)), uchar(0xFF));
    }

    void damagedPagesStopTheMerge_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("truncated"); // else a text file named .jpg
        QTest::newRow("pdf, cut-off JPEG") << "bad.pdf" << true;
        QTest::newRow("tif, text named .jpg") << "bad2.tif" << false;
    }
    void damagedPagesStopTheMerge()
    {
        QFETCH(QString, destination);
        QFETCH(bool, truncated);
        const QString good = writeJpeg(path("good.jpg"), 80, 60, 300);
        const QString bad = truncated ? truncate(writeJpeg(path("cut.jpg"), 400, 300, 300, 3))
                                      : writeBytes(path("note.jpg"), "not a page at all");
        const PageMerge::Result result = merge({good, bad}, path(destination));
        QVERIFY(!result.ok);
        QCOMPARE(result.leftOut.size(), 1);
        QVERIFY(result.leftOut.first().startsWith(bad));
        QVERIFY(!QFile::exists(path(destination)));
        QCOMPARE(leftovers(), QStringList());

        // Where leaving a page out is wanted, the rest is merged.
        PageMerge::Options lenient;
        lenient.format = PageMerge::formatFor(destination);
        lenient.everyPageOrNothing = false;
        const PageMerge::Result partial = PageMerge::merge({good, bad}, path(destination), lenient);
        QVERIFY(partial.ok);
        QCOMPARE(partial.pages, 1);
        QFile::remove(path(destination));
    }

    void existingFileIsNotReplaced()
    {
        const QString out = writeBytes(path("taken.pdf"), "someone else's file");
        QVERIFY(!merge({writeJpeg(path("one.jpg"), 40, 40, 300)}, out).ok);
        QCOMPARE(bytesOf(out), QByteArray("someone else's file"));
        QCOMPARE(leftovers(), QStringList());
    }

    void archivalPdfCarriesIdentificationAndOutputIntent()
    {
        const QString out = path("archive.pdf");
        QVERIFY(
            merge({writeJpeg(path("a1.jpg"), 60, 80, 300), writePage(path("a2.png"))}, out, true)
                .ok);
        QPDF pdf;
        pdf.processFile(out.toUtf8().constData());
        QVERIFY(!pdf.isEncrypted());
        QVERIFY(pdf.getTrailer().getKey("/ID").isArray());
        QVERIFY(QByteArray(pdf.getPDFVersion().c_str()) >= "1.4");

        QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
        QVERIFY(!metadata.getDict().hasKey("/Filter")); // readable without decoding
        const QByteArray xmp = raw(metadata);
        QVERIFY(xmp.contains("<pdfaid:part>2</pdfaid:part>"));

        QPDFObjectHandle intents = pdf.getRoot().getKey("/OutputIntents");
        QCOMPARE(intents.getArrayNItems(), 1);
        QPDFObjectHandle intent = intents.getArrayItem(0);
        QCOMPARE(QString::fromStdString(intent.getKey("/S").getName()),
                 QStringLiteral("/GTS_PDFA1"));
        QPDFObjectHandle profile = intent.getKey("/DestOutputProfile");
        QCOMPARE(decoded(profile).mid(36, 4), QByteArray("acsp")); // an ICC profile
    }
};

QTEST_GUILESS_MAIN(TestPageMerge)
#include "tst_PageMerge.moc"
