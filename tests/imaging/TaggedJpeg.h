#pragma once

#include <Magick++.h>
#include <QByteArray>
#include <QString>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

// JPEG pages carrying an EXIF orientation, as phones and cameras write them,
// built byte by byte from the published EXIF/TIFF layout.
namespace TaggedJpeg {

// The picture as the operator sees it: white, a red block at the top left and
// a green one at the top right, so every turn and mirror shows.
inline cv::Mat shown(int cols = 96, int rows = 64)
{
    cv::Mat page(rows, cols, CV_8UC3, cv::Scalar(255, 255, 255));
    page(cv::Rect(0, 0, cols / 4, rows / 4)).setTo(cv::Scalar(0, 0, 255));
    page(cv::Rect(cols - cols / 4, 0, cols / 4, rows / 4)).setTo(cv::Scalar(0, 200, 0));
    return page;
}

// The pixels a camera stores so that the tag turns them into `picture`:
// transposed for 5..8, then flipped (2 marks no flip).
inline cv::Mat stored(const cv::Mat& picture, int orientation)
{
    static const int flipCode[] = {2, 2, 1, -1, 0, 2, 0, -1, 1};
    cv::Mat out = picture.clone();
    if (orientation >= 5 && orientation <= 8)
        cv::transpose(picture, out);
    if (orientation >= 1 && orientation <= 8 && flipCode[orientation] != 2)
        cv::flip(out, out, flipCode[orientation]);
    return out;
}

// "Exif\0\0", the TIFF header in the given byte order, and IFD0 with an
// image-width entry followed by the orientation (one SHORT).
inline QByteArray payload(int orientation, bool bigEndian = false)
{
    QByteArray t("Exif\0\0", 6);
    auto u16 = [&](unsigned v) {
        const char hi = static_cast<char>(v >> 8), lo = static_cast<char>(v & 0xFF);
        t.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    };
    auto u32 = [&](unsigned v) {
        bigEndian ? (u16(v >> 16), u16(v & 0xFFFF)) : (u16(v & 0xFFFF), u16(v >> 16));
    };
    t.append(bigEndian ? "MM" : "II");
    u16(42);
    u32(8); // IFD0 right after the header
    u16(2);
    u16(0x0100), u16(3), u32(1), u16(64), u16(0); // ImageWidth, ignored
    u16(0x0112), u16(3), u32(1), u16(static_cast<unsigned>(orientation)), u16(0);
    u32(0); // no next IFD
    return t;
}

// The page's JPEG with an APP1 segment holding payload right after the start
// marker; a resolution other than 0 goes into the JFIF header in dots per inch.
inline QByteArray jpeg(const cv::Mat& pixels, const QByteArray& app1, int dpiX = 0, int dpiY = 0)
{
    std::vector<uchar> bytes;
    cv::imencode(".jpg", pixels, bytes, {cv::IMWRITE_JPEG_QUALITY, 95});
    QByteArray out(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
    // JFIF APP0: units at byte 13, then x and y density, big-endian.
    if (dpiX > 0 && out.mid(6, 5) == QByteArray("JFIF\0", 5)) {
        const char density[] = {1, static_cast<char>(dpiX >> 8), static_cast<char>(dpiX & 0xFF),
                                static_cast<char>(dpiY >> 8), static_cast<char>(dpiY & 0xFF)};
        out.replace(13, 5, density, 5);
    }
    QByteArray segment("\xFF\xE1", 2);
    const int length = app1.size() + 2;
    segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
    return out.insert(2, segment + app1);
}

// The orientation a file records for the image library: 0 (none) or 1..8.
inline int recorded(const QString& path)
{
    Magick::Image image;
    image.ping(path.toUtf8().toStdString());
    return static_cast<int>(image.orientation());
}

// The stored pixels, whatever the file's tag says.
inline cv::Mat untagged(const QString& path)
{
    return cv::imread(path.toUtf8().toStdString(),
                      cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION);
}

// Equal size and no more than JPEG error apart.
inline bool near(const cv::Mat& a, const cv::Mat& b, double meanError = 4.0)
{
    if (a.size() != b.size() || a.type() != b.type())
        return false;
    cv::Mat diff;
    cv::absdiff(a, b, diff);
    const cv::Scalar mean = cv::mean(diff);
    return mean[0] + mean[1] + mean[2] <= 3 * meanError;
}

} // namespace TaggedJpeg
