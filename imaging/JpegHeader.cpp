#include "JpegHeader.h"

#include "ExifOrientation.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

// Scanners pad files after the end marker; the marker must lie in this tail.
const qint64 kTailBytes = 64 * 1024;

unsigned u16(const uchar* p)
{
    return (unsigned(p[0]) << 8) | p[1];
}

// Resolution of a JFIF APP0 segment: units 1 = per inch, 2 = per centimetre.
void readJfif(const uchar* data, unsigned length, JpegHeader& out)
{
    if (length < 12 || std::memcmp(data, "JFIF\0", 5) != 0)
        return;
    const int units = data[7];
    const int x = int(u16(data + 8));
    const int y = int(u16(data + 10));
    if (units == 1) {
        out.dpiX = x;
        out.dpiY = y;
    } else if (units == 2) {
        out.dpiX = int(x * 2.54 + 0.01);
        out.dpiY = int(y * 2.54 + 0.01);
    }
}

// Only after the scan starts: an EXIF thumbnail before it has an end marker of its own.
bool hasEndMarker(QFile& file, qint64 scanStart)
{
    const qint64 size = file.size();
    const qint64 from = qMax<qint64>(scanStart, size - kTailBytes);
    if (!file.seek(from))
        return false;
    const QByteArray tail = file.read(size - from);
    return tail.lastIndexOf("\xff\xd9") >= 0;
}

} // namespace

bool JpegHeader::hasJpegSuffix(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

bool JpegHeader::inspect(const QString& path, JpegHeader& out)
{
    out = JpegHeader();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    uchar marker[4];
    if (file.read(reinterpret_cast<char*>(marker), 2) != 2 || marker[0] != 0xFF ||
        marker[1] != 0xD8)
        return false;
    // Segments up to the first scan; the frame header always comes before it.
    for (;;) {
        if (file.read(reinterpret_cast<char*>(marker), 4) != 4 || marker[0] != 0xFF)
            return false;
        while (marker[1] == 0xFF) { // fill bytes before a marker
            marker[1] = marker[2];
            marker[2] = marker[3];
            if (!file.getChar(reinterpret_cast<char*>(marker + 3)))
                return false;
        }
        const unsigned type = marker[1];
        const unsigned length = u16(marker + 2);
        if (length < 2)
            return false;
        if (type == 0xDA) // start of scan
            break;
        const QByteArray body = file.read(length - 2);
        if (body.size() != int(length - 2))
            return false;
        const auto* data = reinterpret_cast<const uchar*>(body.constData());
        const bool frame =
            type >= 0xC0 && type <= 0xCF && type != 0xC4 && type != 0xC8 && type != 0xCC;
        if (frame && body.size() >= 6) {
            out.precision = data[0];
            out.height = int(u16(data + 1));
            out.width = int(u16(data + 3));
            out.components = data[5];
        } else if (type == 0xE0) {
            readJfif(data, length - 2, out);
        } else if (type == 0xE1) {
            const int orientation = ExifOrientation::fromApp1(data, body.size());
            if (orientation != 1)
                out.orientation = orientation;
        } else if (type == 0xEE && body.size() >= 5 && std::memcmp(data, "Adobe", 5) == 0) {
            out.adobe = true;
        }
    }
    if (out.width <= 0 || out.height <= 0 || out.components <= 0)
        return false;
    out.complete = hasEndMarker(file, file.pos());
    return true;
}
