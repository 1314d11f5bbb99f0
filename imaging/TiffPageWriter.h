#pragma once

#include "RasterFrame.h"

#include <QString>

typedef struct tiff TIFF;

// Writes a multi-page TIFF one page at a time, losslessly: LZW with the
// horizontal predictor (the strips of a page coded side by side on the
// machine's cores) or no compression, CCITT Group 4 for bilevel pages. Each
// page keeps its resolution.
class TiffPageWriter
{
public:
    TiffPageWriter() = default;
    // LZW (the default) or uncompressed grey and colour pages; bilevel pages
    // are always Group 4, which is both the smallest and the quickest.
    void setLzw(bool lzw) { m_lzw = lzw; }
    ~TiffPageWriter();
    TiffPageWriter(const TiffPageWriter&) = delete;
    TiffPageWriter& operator=(const TiffPageWriter&) = delete;

    bool open(const QString& path, QString* error = nullptr);
    bool add(const RasterFrame& frame, QString* error = nullptr);
    // Finishes the file; false when any write failed.
    bool close(QString* error = nullptr);
    int pageCount() const { return m_pages; }

private:
    TIFF* m_tiff = nullptr;
    QString m_path;
    int m_pages = 0;
    bool m_lzw = true;
};
