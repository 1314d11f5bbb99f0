#include "PdfDocumentWriter.h"

#include "FaxGroup4.h"
#include "SafeWrite.h"

#include <QColorSpace>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/Pl_StdioFile.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

const qint64 kCopyChunk = 1 << 20;

// Where a stream's bytes are: a range of a file, copied when the writer asks.
struct Slice
{
    QString path;
    qint64 offset = 0;
    qint64 length = -1; // to the end of the file
};

class SliceProvider : public QPDFObjectHandle::StreamDataProvider
{
public:
    void add(QPDFObjGen id, Slice slice) { m_slices.insert(key(id), std::move(slice)); }

    void provideStreamData(QPDFObjGen const& og, Pipeline* pipeline) override
    {
        const Slice slice = m_slices.value(key(og));
        QFile file(slice.path);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(slice.offset))
            throw std::runtime_error("cannot read " + slice.path.toStdString());
        qint64 left = slice.length < 0 ? file.size() - slice.offset : slice.length;
        QByteArray buffer;
        while (left > 0) {
            buffer = file.read(qMin(left, kCopyChunk));
            if (buffer.isEmpty())
                throw std::runtime_error("short read " + slice.path.toStdString());
            pipeline->write(reinterpret_cast<const unsigned char*>(buffer.constData()),
                            size_t(buffer.size()));
            left -= buffer.size();
        }
        pipeline->finish();
    }

private:
    static quint64 key(QPDFObjGen id)
    {
        return (quint64(id.getObj()) << 16) | quint64(id.getGen());
    }
    QHash<quint64, Slice> m_slices;
};

QString pdfNumber(double value)
{
    return QString::number(value, 'f', 4);
}

double points(int pixels, int dpi)
{
    return pixels * 72.0 / dpi;
}

QByteArray xmpPacket(const QString& when)
{
    QByteArray xmp;
    xmp += "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "<rdf:Description rdf:about=\"\"\n"
           " xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\"\n"
           " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           " xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
           "<pdfaid:part>2</pdfaid:part>\n"
           "<pdfaid:conformance>B</pdfaid:conformance>\n"
           "<dc:format>application/pdf</dc:format>\n";
    xmp += "<xmp:CreateDate>" + when.toUtf8() + "</xmp:CreateDate>\n";
    xmp += "<xmp:ModifyDate>" + when.toUtf8() + "</xmp:ModifyDate>\n";
    xmp += "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>";
    return xmp;
}

} // namespace

struct PdfDocumentWriter::Private
{
    bool pdfa = false;
    QPDF pdf;
    std::shared_ptr<SliceProvider> provider = std::make_shared<SliceProvider>();
    QString beside;
    QString spoolPath;
    FILE* spool = nullptr;
    int pages = 0;
    bool needs15 = false; // 16-bit samples

    bool openSpool(QString* error)
    {
        if (spool)
            return true;
        spoolPath = SafeWrite::reserveTemporaryPath(beside + QStringLiteral(".spool"));
        if (!spoolPath.isEmpty())
            spool = std::fopen(QFile::encodeName(spoolPath).constData(), "wb");
        if (!spool && error)
            *error = QStringLiteral("cannot create a spool file beside %1").arg(beside);
        return spool != nullptr;
    }

    // Appends data to the spool, deflated or as it is; the slice it now occupies.
    bool append(const QByteArray& data, bool deflated, Slice& slice, QString* error)
    {
        const long start = std::ftell(spool);
        try {
            Pl_StdioFile out("spool", spool);
            if (deflated) {
                Pl_Flate flate("deflate", &out, Pl_Flate::a_deflate);
                flate.write(reinterpret_cast<const unsigned char*>(data.constData()),
                            size_t(data.size()));
                flate.finish();
            } else {
                out.write(reinterpret_cast<const unsigned char*>(data.constData()),
                          size_t(data.size()));
                out.finish();
            }
        } catch (const std::exception& e) {
            if (error)
                *error = QString::fromLocal8Bit(e.what());
            return false;
        }
        if (std::fflush(spool) != 0) {
            if (error)
                *error = QStringLiteral("cannot write the spool file %1").arg(spoolPath);
            return false;
        }
        slice = Slice{spoolPath, start, std::ftell(spool) - start};
        return true;
    }
    bool deflate(const QByteArray& data, Slice& slice, QString* error)
    {
        return append(data, true, slice, error);
    }

    QPDFObjectHandle imageStream(const QString& dictionary, const Slice& slice, const char* filter,
                                 const QString& parameters = QString())
    {
        QPDFObjectHandle image = QPDFObjectHandle::newStream(&pdf);
        image.replaceDict(QPDFObjectHandle::parse(dictionary.toStdString()));
        image.replaceStreamData(provider, QPDFObjectHandle::newName(filter),
                                parameters.isEmpty()
                                    ? QPDFObjectHandle::newNull()
                                    : QPDFObjectHandle::parse(parameters.toStdString()));
        provider->add(image.getObjGen(), slice);
        return image;
    }

    void addPage(QPDFObjectHandle image, int width, int height, int dpiX, int dpiY, int rotate)
    {
        if (dpiX <= 0 || dpiY <= 0) {
            qInfo().noquote() << QStringLiteral("page %1 records no resolution: %2 dpi assumed")
                                     .arg(pages + 1)
                                     .arg(kDefaultDpi);
            dpiX = dpiY = kDefaultDpi;
        }
        const QString w = pdfNumber(points(width, dpiX));
        const QString h = pdfNumber(points(height, dpiY));
        const QString content = QStringLiteral("q %1 0 0 %2 0 0 cm /Im0 Do Q\n").arg(w, h);
        QPDFObjectHandle contents = QPDFObjectHandle::newStream(&pdf, content.toStdString());
        QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
        page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        page.replaceKey("/MediaBox", QPDFObjectHandle::parse(
                                         QStringLiteral("[0 0 %1 %2]").arg(w, h).toStdString()));
        QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
        xobjects.replaceKey("/Im0", image);
        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", contents);
        if (rotate != 0)
            page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(rotate));
        pdf.addPage(pdf.makeIndirectObject(page), false);
        ++pages;
    }

    void addArchivalParts()
    {
        QPDFObjectHandle root = pdf.getRoot();
        const QString when = QDateTime::currentDateTime().toOffsetFromUtc(0).toString(Qt::ISODate);
        const QByteArray xmp = xmpPacket(when);
        QPDFObjectHandle metadata = QPDFObjectHandle::newStream(&pdf, xmp.toStdString());
        metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
        metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
        root.replaceKey("/Metadata", metadata);

        const QByteArray icc = QColorSpace(QColorSpace::SRgb).iccProfile();
        QPDFObjectHandle profile = QPDFObjectHandle::newStream(&pdf, icc.toStdString());
        profile.getDict().replaceKey("/N", QPDFObjectHandle::newInteger(3));
        QPDFObjectHandle intent = QPDFObjectHandle::parse(
            "<< /Type /OutputIntent /S /GTS_PDFA1 /OutputConditionIdentifier (sRGB IEC61966-2.1)"
            " /Info (sRGB IEC61966-2.1) >>");
        intent.replaceKey("/DestOutputProfile", profile);
        root.replaceKey("/OutputIntents", QPDFObjectHandle::newArray({intent}));
    }
};

PdfDocumentWriter::PdfDocumentWriter(const QString& spoolBeside, bool pdfa) : d(new Private)
{
    d->pdfa = pdfa;
    d->beside = spoolBeside;
    d->pdf.emptyPDF();
}

PdfDocumentWriter::~PdfDocumentWriter()
{
    if (d->spool) {
        std::fclose(d->spool);
        QFile::remove(d->spoolPath);
    }
}

bool PdfDocumentWriter::canEmbed(const JpegHeader& header) const
{
    const bool turnOnly = header.orientation == 1 || header.orientation == 3 ||
                          header.orientation == 6 || header.orientation == 8;
    const bool colours =
        header.components == 1 || header.components == 3 || (header.components == 4 && !d->pdfa);
    return header.complete && header.precision == 8 && turnOnly && colours;
}

bool PdfDocumentWriter::addJpeg(const QString& path, const JpegHeader& header, QString* error)
{
    if (!canEmbed(header)) {
        if (error)
            *error = QStringLiteral("JPEG cannot be embedded as it is: %1").arg(path);
        return false;
    }
    const char* space = header.components == 1   ? "/DeviceGray"
                        : header.components == 3 ? "/DeviceRGB"
                                                 : "/DeviceCMYK";
    QString dictionary = QStringLiteral("<< /Type /XObject /Subtype /Image /Width %1 /Height %2"
                                        " /ColorSpace %3 /BitsPerComponent 8")
                             .arg(header.width)
                             .arg(header.height)
                             .arg(QLatin1String(space));
    // Adobe's CMYK JPEG stores the inks inverted.
    if (header.components == 4 && header.adobe)
        dictionary += QStringLiteral(" /Decode [1 0 1 0 1 0 1 0]");
    dictionary += QStringLiteral(" >>");
    QPDFObjectHandle image = d->imageStream(dictionary, Slice{path, 0, -1}, "/DCTDecode");
    // The page is laid out in the stored orientation and turned by the viewer.
    const int rotate = header.orientation == 6   ? 90
                       : header.orientation == 3 ? 180
                       : header.orientation == 8 ? 270
                                                 : 0;
    d->addPage(image, header.width, header.height, header.dpiX, header.dpiY, rotate);
    return true;
}

bool PdfDocumentWriter::addFrame(const RasterFrame& frame, QString* error)
{
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < qsizetype(frame.bytesPerRow()) * frame.height) {
        if (error)
            *error = QStringLiteral("empty page");
        return false;
    }
    if (!d->openSpool(error))
        return false;
    if (frame.bits == 1)
        return addBilevel(frame, error);
    const int colours = frame.colourChannels();
    const int sampleBytes = frame.bits == 16 ? 2 : 1;
    QByteArray colour;
    QByteArray alpha;
    if (!frame.hasAlpha() && frame.bits != 16) {
        colour = frame.pixels;
    } else {
        // Split alpha off into its own mask; PDF stores 16-bit samples big-endian.
        const qsizetype pixelCount = qsizetype(frame.width) * frame.height;
        colour.resize(pixelCount * colours * sampleBytes);
        if (frame.hasAlpha())
            alpha.resize(pixelCount * sampleBytes);
        const uchar* in = reinterpret_cast<const uchar*>(frame.pixels.constData());
        uchar* c = reinterpret_cast<uchar*>(colour.data());
        uchar* a = reinterpret_cast<uchar*>(alpha.data());
        for (qsizetype i = 0; i < pixelCount; ++i) {
            for (int ch = 0; ch < frame.channels; ++ch) {
                uchar* out = ch < colours ? c : a;
                if (sampleBytes == 2) {
                    quint16 v;
                    std::memcpy(&v, in, 2);
                    qToBigEndian(v, out);
                } else {
                    *out = *in;
                }
                in += sampleBytes;
                if (ch < colours)
                    c += sampleBytes;
                else
                    a += sampleBytes;
            }
        }
    }
    if (frame.bits == 16)
        d->needs15 = true;
    Slice colourSlice;
    if (!d->deflate(colour, colourSlice, error))
        return false;
    colour.clear();
    QString dictionary =
        QStringLiteral("<< /Type /XObject /Subtype /Image /Width %1 /Height %2"
                       " /ColorSpace %3 /BitsPerComponent %4 >>")
            .arg(frame.width)
            .arg(frame.height)
            .arg(colours == 1 ? QLatin1String("/DeviceGray") : QLatin1String("/DeviceRGB"))
            .arg(frame.bits);
    QPDFObjectHandle image = d->imageStream(dictionary, colourSlice, "/FlateDecode");
    if (frame.hasAlpha()) {
        Slice alphaSlice;
        if (!d->deflate(alpha, alphaSlice, error))
            return false;
        const QString maskDictionary =
            QStringLiteral("<< /Type /XObject /Subtype /Image /Width %1 /Height %2"
                           " /ColorSpace /DeviceGray /BitsPerComponent %3 >>")
                .arg(frame.width)
                .arg(frame.height)
                .arg(frame.bits);
        image.getDict().replaceKey("/SMask",
                                   d->imageStream(maskDictionary, alphaSlice, "/FlateDecode"));
    }
    d->addPage(image, frame.width, frame.height, frame.dpiX, frame.dpiY, 0);
    return true;
}

bool PdfDocumentWriter::addBilevel(const RasterFrame& frame, QString* error)
{
    QByteArray coded;
    Slice slice;
    if (!FaxGroup4::encode(frame, d->beside, coded, error) ||
        !d->append(coded, false, slice, error))
        return false;
    const QString dictionary =
        QStringLiteral("<< /Type /XObject /Subtype /Image /Width %1 /Height %2"
                       " /ColorSpace /DeviceGray /BitsPerComponent 1 >>")
            .arg(frame.width)
            .arg(frame.height);
    const QString parameters =
        QStringLiteral("<< /K -1 /Columns %1 /Rows %2 >>").arg(frame.width).arg(frame.height);
    QPDFObjectHandle image = d->imageStream(dictionary, slice, "/CCITTFaxDecode", parameters);
    d->addPage(image, frame.width, frame.height, frame.dpiX, frame.dpiY, 0);
    return true;
}

int PdfDocumentWriter::pageCount() const
{
    return d->pages;
}

bool PdfDocumentWriter::write(const QString& path, QString* error)
{
    if (d->spool && std::fflush(d->spool) != 0) {
        if (error)
            *error = QStringLiteral("cannot write the spool file");
        return false;
    }
    try {
        if (d->pdfa)
            d->addArchivalParts();
        QPDFWriter writer(d->pdf, QFile::encodeName(path).constData());
        // Streams go out as they were made: JPEG bytes unchanged, the rest
        // already deflated, the XMP packet readable as PDF/A asks.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setMinimumPDFVersion(d->pdfa ? "1.7" : d->needs15 ? "1.5" : "1.4");
        writer.write();
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}
