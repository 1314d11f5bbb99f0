#pragma once

// The capabilities of one open source: TWAIN capabilities that map onto SANE
// options (pixel type, resolution, paper size, feeder, duplex) are read from and
// written to the device; those SANE has no notion of (orientation, file format,
// compression, JPEG quality, transfer count) are kept here for the transfer.

#include "SaneOptions.h"
#include "SaneStatusMap.h"

#include <string>

class SourceCapabilities
{
public:
    explicit SourceCapabilities(SaneOptions& options);

    // DG_CONTROL/DAT_CAPABILITY. `settable` is false outside state 4, where
    // MSG_SET and MSG_RESET are a sequence error.
    TW_UINT16 handle(TW_UINT16 msg, TW_CAPABILITY& cap, bool settable, TwainCondition& cond);

    TW_UINT16 fileFormat() const { return m_fileFormat; }
    TW_UINT16 compression() const { return m_compression; }
    TW_INT16 jpegQuality() const { return m_jpegQuality; }
    int orientation() const { return m_orientation; }
    TW_INT16 transferCount() const { return m_transferCount; }
    // Whether the device's current source takes pages from a feeder.
    bool feederSelected() const;

private:
    struct Value
    {
        TW_UINT16 type = TWTY_UINT16;
        TW_UINT32 item = 0;
    };
    bool current(TW_UINT16 cap, Value& v) const;
    bool byDefault(TW_UINT16 cap, Value& v) const;
    TW_UINT16 set(TW_UINT16 cap, const TW_CAPABILITY& container, TwainCondition& cond);
    TW_UINT16 reset(TW_UINT16 cap, TwainCondition& cond);

    TW_UINT16 setPixelType(TW_UINT16 type, TwainCondition& cond);
    TW_UINT16 setResolution(TW_UINT16 cap, double dpi, TwainCondition& cond);
    TW_UINT16 setPaperSize(TW_UINT16 size, TwainCondition& cond);
    TW_UINT16 setSource(bool feeder, bool duplex, TwainCondition& cond);
    TW_UINT16 setSaneOption(const std::string& assignment, TwainCondition& cond);
    TW_UINT16 pixelTypeNow() const;
    double resolutionNow(TW_UINT16 cap) const;
    std::string sourceNow() const;

    SaneOptions& m_options;
    // The device's own values when it was opened: what MSG_RESET goes back to.
    TW_UINT16 m_defaultPixelType = TWPT_GRAY;
    double m_defaultXDpi = 0;
    double m_defaultYDpi = 0;
    std::string m_defaultSource;
    double m_defaultArea[4] = {0, 0, 0, 0};

    TW_UINT16 m_paperSize = TWSS_NONE;
    TW_UINT16 m_fileFormat = TWFF_BMP;
    TW_UINT16 m_compression = TWCP_NONE;
    TW_INT16 m_jpegQuality = TWJQ_MEDIUM;
    int m_orientation = TWOR_ROT0;
    TW_INT16 m_transferCount = -1;
};
