#pragma once

#include "JpegHeader.h"
#include "RasterFrame.h"

#include <QString>
#include <memory>

// Builds a PDF of one image per page without holding the pages: JPEG files are
// embedded as DCT streams with their bytes unchanged (read from the file while
// the PDF is written), other pages are deflated into a spool file beside the
// output as they are added (bilevel pages CCITT Group 4 coded). The page size follows each page's
// resolution. With PDF/A-2b the file carries XMP metadata identifying it and an sRGB output intent;
// it is never encrypted.
class PdfDocumentWriter
{
public:
    // spoolBeside: a path in the folder where the spool file may go.
    PdfDocumentWriter(const QString& spoolBeside, bool pdfa);
    ~PdfDocumentWriter();
    PdfDocumentWriter(const PdfDocumentWriter&) = delete;
    PdfDocumentWriter& operator=(const PdfDocumentWriter&) = delete;

    // Whether the JPEG file can go in unchanged (8-bit, orientation a turn,
    // in PDF/A only grey or RGB); other files are decoded and added as frames.
    bool canEmbed(const JpegHeader& header) const;
    // The file's bytes as one page; header from JpegHeader::inspect.
    bool addJpeg(const QString& path, const JpegHeader& header, QString* error = nullptr);
    bool addFrame(const RasterFrame& frame, QString* error = nullptr);
    int pageCount() const;

    // Writes the document; the JPEG files added must still be there.
    bool write(const QString& path, QString* error = nullptr);

    // Dots per inch used for pages that record no resolution.
    static const int kDefaultDpi = 300;

private:
    bool addBilevel(const RasterFrame& frame, QString* error);

    struct Private;
    std::unique_ptr<Private> d;
};
