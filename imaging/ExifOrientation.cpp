#include "ExifOrientation.h"

#include <Magick++.h>
#include <cstring>
#include <opencv2/core.hpp>

namespace ExifOrientation {
namespace {

const unsigned kOrientationTag = 0x0112;
const unsigned kTypeShort = 3;
const std::size_t kExifPrefix = 6; // "Exif\0\0"
const std::size_t kEntrySize = 12;

// The TIFF block of the segment, read in its own byte order with every access
// checked against its end.
class TiffBlock
{
public:
    TiffBlock(const unsigned char* data, std::size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian)
    {
    }

    bool has(std::size_t offset, std::size_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    unsigned u16(std::size_t offset) const
    {
        const unsigned a = m_data[offset];
        const unsigned b = m_data[offset + 1];
        return m_bigEndian ? (a << 8) | b : (b << 8) | a;
    }
    unsigned long u32(std::size_t offset) const
    {
        const unsigned long high = u16(m_bigEndian ? offset : offset + 2);
        const unsigned long low = u16(m_bigEndian ? offset + 2 : offset);
        return (high << 16) | low;
    }

private:
    const unsigned char* m_data;
    std::size_t m_size;
    bool m_bigEndian;
};

} // namespace

int fromApp1(const unsigned char* data, std::size_t size)
{
    if (!data || size < kExifPrefix + 8 || std::memcmp(data, "Exif\0\0", kExifPrefix) != 0)
        return 1;
    const unsigned char* tiff = data + kExifPrefix;
    const std::size_t tiffSize = size - kExifPrefix;
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] != 'I' || tiff[1] != 'I')
        return 1;
    const TiffBlock block(tiff, tiffSize, bigEndian);
    if (block.u16(2) != 42)
        return 1;
    const unsigned long ifd = block.u32(4);
    if (ifd < 8 || !block.has(ifd, 2))
        return 1;
    const unsigned count = block.u16(ifd);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + i * kEntrySize;
        if (!block.has(entry, kEntrySize))
            return 1;
        if (block.u16(entry) != kOrientationTag)
            continue;
        // One SHORT, held in the first two bytes of the value field.
        if (block.u16(entry + 2) != kTypeShort || block.u32(entry + 4) != 1)
            return 1;
        const unsigned value = block.u16(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

cv::Size shownSize(const cv::Size& stored, int orientation)
{
    return swapsSides(orientation) ? cv::Size(stored.height, stored.width) : stored;
}

void placeRows(const cv::Mat& rows, int firstRow, int storedRows, int orientation, cv::Mat& shown)
{
    const int count = rows.rows;
    // Where the strip lands when the picture's top and bottom change places.
    const int fromBottom = storedRows - firstRow - count;
    if (orientation < 5 || orientation > 8) {
        const int at = orientation == 3 || orientation == 4 ? fromBottom : firstRow;
        cv::Mat target = shown.rowRange(at, at + count);
        if (orientation == 2)
            cv::flip(rows, target, 1);
        else if (orientation == 3)
            cv::flip(rows, target, -1);
        else if (orientation == 4)
            cv::flip(rows, target, 0);
        else
            rows.copyTo(target);
        return;
    }
    // Quarter turns: stored rows become columns of the shown picture.
    cv::Mat columns;
    cv::transpose(rows, columns);
    const int at = orientation == 6 || orientation == 7 ? fromBottom : firstRow;
    cv::Mat target = shown.colRange(at, at + count);
    if (orientation == 5)
        columns.copyTo(target);
    else if (orientation == 6)
        cv::flip(columns, target, 1);
    else if (orientation == 7)
        cv::flip(columns, target, -1);
    else
        cv::flip(columns, target, 0);
}

void upright(Magick::Image& image)
{
    const Magick::OrientationType orientation = image.orientation();
    if (orientation == Magick::UndefinedOrientation || orientation == Magick::TopLeftOrientation)
        return;
    const double xRes = image.xResolution();
    const double yRes = image.yResolution();
    image.autoOrient();
    // The library turns the pixels but not the resolution pair.
    if (swapsSides(static_cast<int>(orientation)) && xRes != yRes) {
        image.modifyImage();
        image.image()->x_resolution = yRes;
        image.image()->y_resolution = xRes;
    }
}

} // namespace ExifOrientation
