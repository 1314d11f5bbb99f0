#pragma once

#include <QString>

// How scanned pages are named: directory/prefix + code + suffix + extension.
// The scanner panel fills it before every scan; scanFileName advances the code.
struct stScanNaming
{
    QString prefix;
    QString suffix;
    int nextCode = 0;
    int codeLength = 3;
    QString directory; // empty: the per-user temporary scan folder
    QString extension; // with its leading dot, e.g. ".jpg"
};
