#pragma once

#include "TwainDefs.h"
#include "stScanNaming.h"

#include <QMetaType>
#include <QStringList>

// Everything one scan needs, captured on the GUI thread and handed to the
// TWAIN thread by value.
struct stScanJob
{
    int deviceIndex = 0; // into the listed sources
    int feeder = 0;      // 1: document feeder
    int duplex = 0;      // 1: both sides
    int paperSize = TWSS_NONE;
    int pixelType = TWPT_RGB;
    int resolution = 300;
    int orientation = TWOR_ROT0;
    int fileFormat = TWFF_JFIF;
    int compression = TWCP_JPEG;
    int jpegQuality = TWJQ_MEDIUM;
    bool showUi = false;
    stScanNaming naming;
    int count = -1; // -1: every page the source has
    // Move the code on past names already on disk instead of failing the page.
    bool skipTakenNames = false;
    // Device options set on the source before the scan, as "name=value"
    // (checks use them to make the test device jam).
    QStringList sourceOptions;
};

Q_DECLARE_METATYPE(stScanJob)
