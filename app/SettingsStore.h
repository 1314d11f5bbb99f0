#pragma once

#include "stColourInfo.h"
#include "stPageNoInfo.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <QVariant>

// The one INI file of user settings (AppPaths::settingsFile(), UTF-8). Every
// call opens its own settings object, so reads are safe from worker threads;
// writes belong to the interface thread. After every write the process-wide
// parameters (ProcessParams::current()) are reloaded so they follow the file.
// A file that cannot be written loses the write silently.
class SettingsStore
{
public:
    static const QString kMarginsTop;
    static const QString kMarginsBottom;
    static const QString kMarginsLeft;
    static const QString kMarginsRight;
    static const QString kSaveMode;
    static const QString kDpiX;
    static const QString kDpiY;
    static const QString kPageNoArea;
    static const QString kPageNoMarginsHor;
    static const QString kPageNoMarginsVer;
    static const QString kPageNoFontFamily;
    static const QString kPageNoFontSize;
    static const QString kPageNoFontBold;
    static const QString kPageNoFontItalic;
    static const QString kPageNoFontUnderline;
    static const QString kPageNoFontDeleteLine;
    static const QString kPageNoStart;
    static const QString kPageNoLength;
    static const QString kPageNoPrefix;
    static const QString kPageNoSuffix;
    static const QString kPageNoZeroFill;
    static const QString kPageSizeWidth;
    static const QString kPageSizeHeight;
    static const QString kColourBrightness;
    static const QString kColourContrast;
    static const QString kColourSaturation;
    static const QString kRootPath;
    static const QString kBackgroundColour;
    static const QString kStatisticsTolerance;

    // Reads every parameter key (defaults for missing ones) into
    // ProcessParams::current(); the background colour is not touched.
    static void loadSettings();

    // The stored value, or an invalid variant when the key is missing.
    static QVariant settingValue(const QString& key);
    static void setSettingValue(const QString& key, const QVariant& value);
    // Writes in key order, logging "set <key> <value>" for each.
    static void setSettingValues(const QMap<QString, QVariant>& values);

    static void saveColourSettings(const stColourInfo& colour);
    static void savePageNoSettings(const stPageNoInfo& pageNo);

    // Start-up: takes "image/background-color" ("r,g,b") as the process-wide
    // background colour when it holds a valid colour.
    static void loadBackgroundColour();
    // Stores the colour as "r,g,b" (the process-wide colour is the caller's).
    static void saveBackgroundColour(const QColor& colour);

    // The statistics tool's format tolerance in whole millimetres (0 to 99),
    // 1 until the operator chooses another: at 0 a standard scan falls one
    // format too large.
    static int statisticsTolerance();
    static void saveStatisticsTolerance(int millimetres);
};
