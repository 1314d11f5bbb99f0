#include "ImageHeader.h"

#include <Magick++.h>
#include <QFile>
#include <QSet>
#include <cmath>

namespace {

// Random access reads over an open file; short reads come back short.
class Source
{
public:
    explicit Source(QFile& file) : m_file(file) {}

    QByteArray at(qint64 offset, int length)
    {
        if (offset < 0 || !m_file.seek(offset))
            return QByteArray();
        return m_file.read(length);
    }
    qint64 size() const { return m_file.size(); }

private:
    QFile& m_file;
};

// Resolutions stored per centimetre or metre come back as 299.9994 for 300 dpi;
// to the hundredth they are what the scanner was set to.
double toDpi(double value, double unitsPerInch)
{
    return std::round(value * unitsPerInch * 100.0) / 100.0;
}

quint32 be(const QByteArray& b, int i, int n)
{
    quint32 v = 0;
    for (int k = 0; k < n; ++k)
        v = (v << 8) | quint8(b.at(i + k));
    return v;
}

quint32 le(const QByteArray& b, int i, int n)
{
    quint32 v = 0;
    for (int k = n - 1; k >= 0; --k)
        v = (v << 8) | quint8(b.at(i + k));
    return v;
}

// One TIFF structure (a whole file, or the EXIF block of a JPEG held in memory).
class TiffReader
{
public:
    TiffReader(Source* file, const QByteArray* memory, qint64 base)
        : m_file(file), m_memory(memory), m_base(base)
    {
    }

    // Reads the byte order and the first directory's offset.
    bool open()
    {
        const QByteArray head = bytes(0, 8);
        if (head.size() < 8)
            return false;
        if (head.startsWith("II"))
            m_little = true;
        else if (head.startsWith("MM"))
            m_little = false;
        else
            return false;
        if (number(head, 2, 2) != 42)
            return false;
        m_first = number(head, 4, 4);
        return true;
    }

    // The first directory's tags into `header`; resolution only when `sizeToo` is false.
    bool readFirst(ImageHeader& header, bool sizeToo)
    {
        double xRes = 0, yRes = 0;
        int unit = 2;
        int samples = 1;
        int bits = 1;
        const QByteArray count = bytes(m_first, 2);
        if (count.size() < 2)
            return false;
        const int entries = int(number(count, 0, 2));
        const QByteArray table = bytes(m_first + 2, entries * 12);
        if (table.size() < entries * 12)
            return false;
        for (int i = 0; i < entries; ++i) {
            const int at = i * 12;
            const quint32 tag = number(table, at, 2);
            const quint32 type = number(table, at + 2, 2);
            const quint32 valueCount = number(table, at + 4, 4);
            // SHORT values sit left-justified in the value field.
            const quint32 value = type == 3 ? number(table, at + 8, 2) : number(table, at + 8, 4);
            switch (tag) {
            case 256:
                header.width = int(value);
                break;
            case 257:
                header.height = int(value);
                break;
            case 258:
                bits = valueCount <= 2 && type == 3 ? int(value) : firstShort(value);
                break;
            case 277:
                samples = int(value);
                break;
            case 282:
                xRes = rational(value);
                break;
            case 283:
                yRes = rational(value);
                break;
            case 296:
                unit = int(value);
                break;
            default:
                break;
            }
        }
        const double perInch = unit == 3 ? 2.54 : unit == 2 ? 1.0 : 0.0;
        header.xDpi = toDpi(xRes, perInch);
        header.yDpi = toDpi(yRes, perInch);
        if (!sizeToo)
            return true;
        header.depth = bits;
        header.channels = samples;
        m_next = number(bytes(m_first + 2 + entries * 12, 4), 0, 4);
        return header.width > 0 && header.height > 0;
    }

    // Directories in the chain, stopping at a loop or a broken link.
    int pageCount()
    {
        int pages = 1;
        QSet<quint32> seen{m_first};
        quint32 next = m_next;
        while (next != 0 && !seen.contains(next) && pages < 100000) {
            seen.insert(next);
            const QByteArray count = bytes(next, 2);
            if (count.size() < 2)
                break;
            ++pages;
            const int entries = int(number(count, 0, 2));
            const QByteArray link = bytes(next + 2 + entries * 12, 4);
            next = link.size() == 4 ? number(link, 0, 4) : 0;
        }
        return pages;
    }

private:
    QByteArray bytes(qint64 offset, int length)
    {
        if (m_memory) {
            if (offset < 0 || m_base + offset >= m_memory->size())
                return QByteArray();
            return m_memory->mid(int(m_base + offset), length);
        }
        return m_file->at(m_base + offset, length);
    }
    quint32 number(const QByteArray& b, int i, int n) const
    {
        if (b.size() < i + n)
            return 0;
        return m_little ? le(b, i, n) : be(b, i, n);
    }
    int firstShort(quint32 offset) { return int(number(bytes(offset, 2), 0, 2)); }
    double rational(quint32 offset)
    {
        const QByteArray r = bytes(offset, 8);
        const quint32 denominator = number(r, 4, 4);
        return denominator == 0 ? 0.0 : double(number(r, 0, 4)) / denominator;
    }

    Source* m_file;
    const QByteArray* m_memory;
    qint64 m_base;
    bool m_little = true;
    quint32 m_first = 0;
    quint32 m_next = 0;
};

bool readJpeg(Source& file, ImageHeader& header)
{
    qint64 at = 2;
    bool jfifDensity = false;
    while (true) {
        const QByteArray marker = file.at(at, 4);
        if (marker.size() < 4 || quint8(marker.at(0)) != 0xFF)
            return false;
        const quint8 code = quint8(marker.at(1));
        if (code == 0xFF) { // fill byte
            ++at;
            continue;
        }
        const int length = int(be(marker, 2, 2));
        if (length < 2)
            return false;
        if (code == 0xE0 && length >= 14) {
            const QByteArray app = file.at(at + 4, 12);
            if (app.size() == 12 && app.startsWith(QByteArray("JFIF\0", 5))) {
                const int unit = quint8(app.at(7));
                const double perInch = unit == 1 ? 1.0 : unit == 2 ? 2.54 : 0.0;
                if (perInch > 0) {
                    header.xDpi = toDpi(be(app, 8, 2), perInch);
                    header.yDpi = toDpi(be(app, 10, 2), perInch);
                    jfifDensity = true;
                }
            }
        } else if (code == 0xE1 && !jfifDensity && length > 16) {
            const QByteArray app = file.at(at + 4, length - 2);
            if (app.startsWith(QByteArray("Exif\0\0", 6))) {
                TiffReader exif(nullptr, &app, 6);
                if (exif.open())
                    exif.readFirst(header, false);
            }
        } else if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) {
            const QByteArray frame = file.at(at + 4, 6);
            if (frame.size() < 6)
                return false;
            header.depth = quint8(frame.at(0));
            header.height = int(be(frame, 1, 2));
            header.width = int(be(frame, 3, 2));
            header.channels = quint8(frame.at(5));
            return header.width > 0 && header.height > 0;
        } else if (code == 0xD9 || code == 0xDA) {
            return false; // image data or its end before any frame header
        }
        at += 2 + length;
    }
}

bool readPng(Source& file, ImageHeader& header)
{
    qint64 at = 8;
    bool sawHeader = false;
    while (true) {
        const QByteArray chunk = file.at(at, 8);
        if (chunk.size() < 8)
            return sawHeader;
        const quint32 length = be(chunk, 0, 4);
        const QByteArray type = chunk.mid(4, 4);
        if (type == "IHDR") {
            const QByteArray data = file.at(at + 8, 13);
            if (data.size() < 13)
                return false;
            header.width = int(be(data, 0, 4));
            header.height = int(be(data, 4, 4));
            header.depth = quint8(data.at(8));
            static const int kChannels[] = {1, 0, 3, 3, 2, 0, 4};
            const int colourType = quint8(data.at(9));
            header.channels = colourType <= 6 ? kChannels[colourType] : 0;
            // Palette entries are 8-bit RGB; a two-entry 1-bit palette is a bilevel page.
            if (colourType == 3 && header.depth > 1)
                header.depth = 8;
            else if (colourType == 3)
                header.channels = 1;
            sawHeader = header.width > 0 && header.height > 0 && header.channels > 0;
            if (!sawHeader)
                return false;
        } else if (type == "pHYs") {
            const QByteArray data = file.at(at + 8, 9);
            if (data.size() == 9 && data.at(8) == 1) {
                header.xDpi = toDpi(be(data, 0, 4), 0.0254);
                header.yDpi = toDpi(be(data, 4, 4), 0.0254);
            }
        } else if (type == "IDAT" || type == "IEND") {
            return sawHeader;
        }
        at += 12 + qint64(length);
    }
}

bool readTiff(Source& file, ImageHeader& header)
{
    TiffReader tiff(&file, nullptr, 0);
    if (!tiff.open() || !tiff.readFirst(header, true))
        return false;
    header.pages = tiff.pageCount();
    return true;
}

ImageHeader pingWithMagick(const QString& path)
{
    ImageHeader header;
    try {
        Magick::Image image;
        image.quiet(true);
        image.ping(QFile::encodeName(path).toStdString());
        header.width = int(image.columns());
        header.height = int(image.rows());
        double perInch = 1.0;
        if (image.resolutionUnits() == MagickCore::PixelsPerCentimeterResolution)
            perInch = 2.54;
        else if (image.resolutionUnits() != MagickCore::PixelsPerInchResolution)
            perInch = 0.0;
        header.xDpi = toDpi(image.xResolution(), perInch);
        header.yDpi = toDpi(image.yResolution(), perInch);
        header.depth = int(image.depth());
        switch (image.type()) {
        case MagickCore::BilevelType:
            header.depth = 1;
            header.channels = 1;
            break;
        case MagickCore::GrayscaleType:
            header.channels = 1;
            break;
        case MagickCore::GrayscaleMatteType:
            header.channels = 2;
            break;
        default:
            header.channels = image.matte() ? 4 : 3;
            break;
        }
        header.valid = header.width > 0 && header.height > 0;
    } catch (const std::exception&) {
        header.valid = false;
    }
    return header;
}

} // namespace

ImageHeader ImageHeader::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ImageHeader();
    Source source(file);
    const QByteArray magic = source.at(0, 8);
    ImageHeader header;
    bool known = true;
    if (magic.startsWith("\xFF\xD8"))
        header.valid = readJpeg(source, header);
    else if (magic.startsWith("\x89PNG\r\n\x1A\n"))
        header.valid = readPng(source, header);
    else if (magic.startsWith("II*\0") || magic.startsWith(QByteArray("MM\0*", 4)))
        header.valid = readTiff(source, header);
    else
        known = false;
    file.close();
    if (known)
        return header;
    return pingWithMagick(path);
}
