#include "PageMerge.h"

#include "FrameReader.h"
#include "JpegHeader.h"
#include "PageFile.h"
#include "PdfDocumentWriter.h"
#include "QuietTiff.h"
#include "SafeWrite.h"
#include "TiffPageWriter.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <tiffio.h>

namespace PageMerge {
namespace {

// Receives the pages of one source: a JPEG file as it is (PDF only) or decoded frames.
class PageSink
{
public:
    virtual ~PageSink() = default;
    virtual bool embedsJpeg(const JpegHeader&) const { return false; }
    virtual bool addJpeg(const QString&, const JpegHeader&, QString*) { return false; }
    virtual bool addFrame(const RasterFrame& frame, QString* error) = 0;
    virtual int pages() const = 0;
};

class PdfSink : public PageSink
{
public:
    PdfSink(const QString& beside, bool pdfa) : writer(beside, pdfa) {}
    bool embedsJpeg(const JpegHeader& header) const override { return writer.canEmbed(header); }
    bool addJpeg(const QString& path, const JpegHeader& header, QString* error) override
    {
        return writer.addJpeg(path, header, error);
    }
    bool addFrame(const RasterFrame& frame, QString* error) override
    {
        return writer.addFrame(frame, error);
    }
    int pages() const override { return writer.pageCount(); }
    PdfDocumentWriter writer;
};

class TiffSink : public PageSink
{
public:
    bool addFrame(const RasterFrame& frame, QString* error) override
    {
        return writer.add(frame, error);
    }
    int pages() const override { return writer.pageCount(); }
    TiffPageWriter writer;
};

bool looksLikeJpeg(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(3) == QByteArray("\xff\xd8\xff");
}

// Adds every page of source to sink. A source that fails part way may have
// added some of its frames; the caller then gives up the whole file.
bool addSource(const QString& source, PageSink& sink, QString* why)
{
    if (looksLikeJpeg(source)) {
        JpegHeader header;
        if (!JpegHeader::inspect(source, header))
            return *why = QStringLiteral("not a readable JPEG file"), false;
        if (!header.complete)
            return *why = QStringLiteral("JPEG data cut off"), false;
        if (sink.embedsJpeg(header)) {
            // EXIF-only resolutions come from the header reader.
            if (header.dpiX <= 0 || header.dpiY <= 0) {
                const PageInfo info = PageFile::readInfo(source);
                header.dpiX = info.dpiX;
                header.dpiY = info.dpiY;
            }
            return sink.addJpeg(source, header, why);
        }
    }
    const int frames = FrameReader::frameCount(source);
    if (frames <= 0)
        return *why = QStringLiteral("not an image"), false;
    for (int i = 0; i < frames; ++i) {
        RasterFrame frame;
        if (!FrameReader::read(source, i, frame, why) || !sink.addFrame(frame, why))
            return false;
    }
    return true;
}

} // namespace

Format formatFor(const QString& destination)
{
    return QFileInfo(destination).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0
               ? Format::Pdf
               : Format::Tiff;
}

int countPages(const QString& path, Format format)
{
    if (format == Format::Tiff) {
        TIFF* tiff = QuietTiff::open(path, "r");
        if (!tiff)
            return -1;
        const int count = TIFFNumberOfDirectories(tiff);
        TIFFClose(tiff);
        return count;
    }
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(path).constData());
        return int(QPDFPageDocumentHelper(pdf).getAllPages().size());
    } catch (const std::exception& e) {
        qWarning().noquote() << "Caught exception:" << QString::fromLocal8Bit(e.what()) << path;
        return -1;
    }
}

Result merge(const QStringList& sources, const QString& destination, const Options& options)
{
    Result result;
    const auto writer = [&](const QString& temporary) {
        std::unique_ptr<PageSink> sink;
        TiffSink* tiff = nullptr;
        PdfSink* pdf = nullptr;
        if (options.format == Format::Pdf) {
            sink.reset(pdf = new PdfSink(temporary, options.pdfa));
        } else {
            sink.reset(tiff = new TiffSink);
            if (!tiff->writer.open(temporary, &result.error))
                return false;
        }
        for (const QString& source : sources) {
            const int before = sink->pages();
            QString why;
            if (addSource(source, *sink, &why))
                continue;
            qWarning().noquote() << "merge: page not taken:" << source << why;
            result.leftOut.append(source + QStringLiteral(": ") + why);
            // A frame already written cannot be taken back out of the file.
            if (options.everyPageOrNothing || sink->pages() != before) {
                result.error = result.leftOut.constLast();
                return false;
            }
        }
        if (sink->pages() == 0) {
            result.error = QStringLiteral("no page to merge");
            return false;
        }
        result.pages = sink->pages();
        const bool written =
            pdf ? pdf->writer.write(temporary, &result.error) : tiff->writer.close(&result.error);
        if (!written)
            return false;
        sink.reset();
        // Read back before it may take the destination's name.
        const int counted = countPages(temporary, options.format);
        if (counted != result.pages) {
            result.error = QStringLiteral("written file has %1 pages instead of %2")
                               .arg(counted)
                               .arg(result.pages);
            return false;
        }
        return true;
    };
    QString error;
    result.ok = options.replaceExisting ? SafeWrite::replaceFile(destination, writer, &error)
                                        : SafeWrite::createFile(destination, writer, &error);
    if (!result.ok) {
        if (result.error.isEmpty())
            result.error = error;
        result.pages = 0;
        qWarning().noquote() << "merge failed:" << destination << result.error;
    }
    return result;
}

} // namespace PageMerge
