#include "SettingsStore.h"

#include "AppPaths.h"
#include "ProcessParams.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QVector>
#include <memory>

const QString SettingsStore::kMarginsTop = QStringLiteral("margins/top");
const QString SettingsStore::kMarginsBottom = QStringLiteral("margins/bottom");
const QString SettingsStore::kMarginsLeft = QStringLiteral("margins/left");
const QString SettingsStore::kMarginsRight = QStringLiteral("margins/right");
const QString SettingsStore::kSaveMode = QStringLiteral("settings/savemode");
const QString SettingsStore::kDpiX = QStringLiteral("dpi/dpiX");
const QString SettingsStore::kDpiY = QStringLiteral("dpi/dpiY");
const QString SettingsStore::kPageNoArea = QStringLiteral("pageno/area");
const QString SettingsStore::kPageNoMarginsHor = QStringLiteral("pageno/margins-hor");
const QString SettingsStore::kPageNoMarginsVer = QStringLiteral("pageno/margins-ver");
const QString SettingsStore::kPageNoFontFamily = QStringLiteral("pageno/font-family");
const QString SettingsStore::kPageNoFontSize = QStringLiteral("pageno/font-size");
const QString SettingsStore::kPageNoFontBold = QStringLiteral("pageno/font-bold");
const QString SettingsStore::kPageNoFontItalic = QStringLiteral("pageno/font-italic");
const QString SettingsStore::kPageNoFontUnderline = QStringLiteral("pageno/font-underline");
const QString SettingsStore::kPageNoFontDeleteLine = QStringLiteral("pageno/font-deleteline");
const QString SettingsStore::kPageNoStart = QStringLiteral("pageno/no-start");
const QString SettingsStore::kPageNoLength = QStringLiteral("pageno/no-len");
const QString SettingsStore::kPageNoPrefix = QStringLiteral("pageno/prefix");
const QString SettingsStore::kPageNoSuffix = QStringLiteral("pageno/suffix");
const QString SettingsStore::kPageNoZeroFill = QStringLiteral("pageno/no-zero");
const QString SettingsStore::kPageSizeWidth = QStringLiteral("pagesize/width");
const QString SettingsStore::kPageSizeHeight = QStringLiteral("pagesize/height");
const QString SettingsStore::kColourBrightness = QStringLiteral("colour/brightness");
const QString SettingsStore::kColourContrast = QStringLiteral("colour/contrast");
const QString SettingsStore::kColourSaturation = QStringLiteral("colour/saturation");
const QString SettingsStore::kRootPath = QStringLiteral("settings/rootpath");
const QString SettingsStore::kBackgroundColour = QStringLiteral("image/background-color");
const QString SettingsStore::kStatisticsTolerance = QStringLiteral("statistics/tolerance");

namespace {

using Entries = QVector<QPair<QString, QVariant>>;

std::unique_ptr<QSettings> openSettings()
{
    auto settings = std::make_unique<QSettings>(AppPaths::settingsFile(), QSettings::IniFormat);
    settings->setIniCodec("UTF-8");
    return settings;
}

// Float factors are kept as text with two decimals (1.256 -> "1.26").
QString twoDecimals(float value)
{
    return QString::number(static_cast<double>(value), 'f', 2);
}

void applyEntries(QSettings& settings, const Entries& entries)
{
    for (const auto& entry : entries)
        settings.setValue(entry.first, entry.second);
}

// Qt cannot drop changes it failed to write: they stay pending in its
// process-wide cache and the next settings object flushes them, later and
// without the UTF-8 codec. So a write is first tried on a copy beside the file
// (same folder, same disk); the real file is changed only when the copy takes it.
bool trialWriteSucceeds(const Entries& entries)
{
    const QString file = AppPaths::settingsFile();
    QDir().mkpath(QFileInfo(file).absolutePath());
    QTemporaryFile trial(file + QStringLiteral(".XXXXXX"));
    if (!trial.open())
        return false;
    QFile current(file);
    if (current.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = current.readAll();
        if (trial.write(bytes) != bytes.size() || !trial.flush())
            return false;
    }
    trial.close();
    QSettings settings(trial.fileName(), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    applyEntries(settings, entries);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

// Writes the entries in order and flushes; a write the file cannot take is lost
// and leaves the file and later reads as they were.
void writeEntries(const Entries& entries, bool logEach)
{
    if (logEach) {
        for (const auto& entry : entries)
            qDebug().noquote().nospace() << "set " << entry.first << ' ' << entry.second.toString();
    }
    if (trialWriteSucceeds(entries)) {
        auto settings = openSettings();
        Entries previous;
        for (const auto& entry : entries)
            previous.append({entry.first, settings->value(entry.first)});
        applyEntries(*settings, entries);
        settings->sync();
        // The disk filled up since the trial: put the cached values back so
        // reads in this process still match the file.
        if (settings->status() == QSettings::AccessError) {
            for (auto it = previous.crbegin(); it != previous.crend(); ++it) {
                if (it->second.isValid())
                    settings->setValue(it->first, it->second);
                else
                    settings->remove(it->first);
            }
        }
    }
    SettingsStore::loadSettings();
}

} // namespace

void SettingsStore::loadSettings()
{
    const auto settings = openSettings();
    const auto intValue = [&](const QString& key, int fallback) {
        return settings->value(key, fallback).toInt();
    };
    const auto boolValue = [&](const QString& key, bool fallback) {
        return settings->value(key, fallback).toBool();
    };
    const auto floatValue = [&](const QString& key, float fallback) {
        return settings->value(key, fallback).toFloat();
    };
    const auto textValue = [&](const QString& key, const QString& fallback) {
        return settings->value(key, fallback).toString();
    };

    ProcessParams& params = ProcessParams::current();
    params.margins.top = intValue(kMarginsTop, 0);
    params.margins.bottom = intValue(kMarginsBottom, 0);
    params.margins.left = intValue(kMarginsLeft, 0);
    params.margins.right = intValue(kMarginsRight, 0);
    params.saveMode = intValue(kSaveMode, 1);
    params.dpiX = intValue(kDpiX, 0);
    params.dpiY = intValue(kDpiY, 0);

    stPageNoInfo& pageNo = params.pageNo;
    pageNo.area = textValue(kPageNoArea, QStringLiteral("右上"));
    pageNo.marginHor = intValue(kPageNoMarginsHor, 15);
    pageNo.marginVer = intValue(kPageNoMarginsVer, 15);
    pageNo.fontFamily = textValue(kPageNoFontFamily, QStringLiteral("黑体"));
    pageNo.fontSize = intValue(kPageNoFontSize, 6);
    pageNo.bold = boolValue(kPageNoFontBold, false);
    pageNo.italic = boolValue(kPageNoFontItalic, false);
    pageNo.underline = boolValue(kPageNoFontUnderline, false);
    pageNo.strikeOut = boolValue(kPageNoFontDeleteLine, false);
    pageNo.startNo = intValue(kPageNoStart, 1);
    pageNo.noLen = intValue(kPageNoLength, 4);
    pageNo.prefix = textValue(kPageNoPrefix, QString());
    pageNo.suffix = textValue(kPageNoSuffix, QString());
    pageNo.zeroFill = boolValue(kPageNoZeroFill, true);

    params.colour.brightness = intValue(kColourBrightness, 0);
    params.colour.contrast = floatValue(kColourContrast, 1.0f);
    params.colour.saturation = floatValue(kColourSaturation, 1.0f);

    params.pageSize.widthMM = intValue(kPageSizeWidth, 0);
    params.pageSize.heightMM = intValue(kPageSizeHeight, 0);
}

QVariant SettingsStore::settingValue(const QString& key)
{
    return openSettings()->value(key);
}

void SettingsStore::setSettingValue(const QString& key, const QVariant& value)
{
    writeEntries({{key, value}}, false);
}

void SettingsStore::setSettingValues(const QMap<QString, QVariant>& values)
{
    Entries entries;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        entries.append({it.key(), it.value()});
    writeEntries(entries, true);
}

void SettingsStore::saveColourSettings(const stColourInfo& colour)
{
    writeEntries({{kColourSaturation, twoDecimals(colour.saturation)},
                  {kColourBrightness, colour.brightness},
                  {kColourContrast, twoDecimals(colour.contrast)}},
                 false);
}

void SettingsStore::savePageNoSettings(const stPageNoInfo& pageNo)
{
    writeEntries({{kPageNoArea, pageNo.area},
                  {kPageNoMarginsHor, pageNo.marginHor},
                  {kPageNoMarginsVer, pageNo.marginVer},
                  {kPageNoFontFamily, pageNo.fontFamily},
                  {kPageNoFontSize, pageNo.fontSize},
                  {kPageNoFontBold, pageNo.bold},
                  {kPageNoFontItalic, pageNo.italic},
                  {kPageNoFontUnderline, pageNo.underline},
                  {kPageNoFontDeleteLine, pageNo.strikeOut},
                  {kPageNoSuffix, pageNo.suffix},
                  {kPageNoPrefix, pageNo.prefix},
                  {kPageNoLength, pageNo.noLen},
                  {kPageNoStart, pageNo.startNo},
                  {kPageNoZeroFill, pageNo.zeroFill}},
                 false);
}

void SettingsStore::loadBackgroundColour()
{
    const QString text = settingValue(kBackgroundColour).toString();
    if (text.isEmpty())
        return;
    qDebug().noquote() << "init bgcolor" << text;
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return;
    const QColor colour(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
    if (!colour.isValid())
        return;
    qDebug() << "init bgcolor" << colour;
    ProcessParams::current().backgroundColour = colour;
}

void SettingsStore::saveBackgroundColour(const QColor& colour)
{
    if (!colour.isValid())
        return;
    const QString text =
        QStringLiteral("%1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    qDebug().noquote() << "write bgColor is" << text;
    setSettingValue(kBackgroundColour, text);
}

int SettingsStore::statisticsTolerance()
{
    bool ok = false;
    const int stored = settingValue(kStatisticsTolerance).toInt(&ok);
    return ok && stored >= 0 && stored <= 99 ? stored : 1;
}

void SettingsStore::saveStatisticsTolerance(int millimetres)
{
    setSettingValue(kStatisticsTolerance, qBound(0, millimetres, 99));
}
