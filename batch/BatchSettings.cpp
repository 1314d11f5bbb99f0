#include "BatchSettings.h"

#include "BatchJob.h"
#include "SettingsStore.h"

#include <QFileInfo>
#include <QSettings>

namespace {

// The "r,g,b" text of the background colour; invalid when malformed.
QColor colourFromText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return QColor();
    bool okR = false, okG = false, okB = false;
    const QColor colour(parts[0].trimmed().toInt(&okR), parts[1].trimmed().toInt(&okG),
                        parts[2].trimmed().toInt(&okB));
    return okR && okG && okB ? colour : QColor();
}

} // namespace

bool BatchSettings::read(const QString& iniPath, BatchJob& job)
{
    if (!QFileInfo(iniPath).isFile())
        return false;
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    if (settings.status() != QSettings::NoError)
        return false;
    const auto intValue = [&](const QString& key, int& field) {
        field = settings.value(key, field).toInt();
    };
    const auto boolValue = [&](const QString& key, bool& field) {
        field = settings.value(key, field).toBool();
    };
    const auto floatValue = [&](const QString& key, float& field) {
        field = settings.value(key, field).toFloat();
    };
    const auto textValue = [&](const QString& key, QString& field) {
        field = settings.value(key, field).toString();
    };

    intValue(SettingsStore::kMarginsTop, job.margins.top);
    intValue(SettingsStore::kMarginsBottom, job.margins.bottom);
    intValue(SettingsStore::kMarginsLeft, job.margins.left);
    intValue(SettingsStore::kMarginsRight, job.margins.right);
    intValue(SettingsStore::kDpiX, job.dpiX);
    intValue(SettingsStore::kDpiY, job.dpiY);
    intValue(SettingsStore::kPageSizeWidth, job.pageSize.widthMM);
    intValue(SettingsStore::kPageSizeHeight, job.pageSize.heightMM);
    intValue(SettingsStore::kColourBrightness, job.colour.brightness);
    floatValue(SettingsStore::kColourContrast, job.colour.contrast);
    floatValue(SettingsStore::kColourSaturation, job.colour.saturation);

    stPageNoInfo& pageNo = job.pageNo;
    textValue(SettingsStore::kPageNoArea, pageNo.area);
    intValue(SettingsStore::kPageNoMarginsHor, pageNo.marginHor);
    intValue(SettingsStore::kPageNoMarginsVer, pageNo.marginVer);
    textValue(SettingsStore::kPageNoFontFamily, pageNo.fontFamily);
    intValue(SettingsStore::kPageNoFontSize, pageNo.fontSize);
    boolValue(SettingsStore::kPageNoFontBold, pageNo.bold);
    boolValue(SettingsStore::kPageNoFontItalic, pageNo.italic);
    boolValue(SettingsStore::kPageNoFontUnderline, pageNo.underline);
    boolValue(SettingsStore::kPageNoFontDeleteLine, pageNo.strikeOut);
    intValue(SettingsStore::kPageNoStart, pageNo.startNo);
    intValue(SettingsStore::kPageNoLength, pageNo.noLen);
    textValue(SettingsStore::kPageNoPrefix, pageNo.prefix);
    textValue(SettingsStore::kPageNoSuffix, pageNo.suffix);
    boolValue(SettingsStore::kPageNoZeroFill, pageNo.zeroFill);

    // Written by the program as one quoted text; by hand without quotes the
    // INI reader splits it at the commas.
    const QVariant background = settings.value(SettingsStore::kBackgroundColour);
    if (background.type() == QVariant::StringList)
        job.backgroundColourText = background.toStringList().join(QLatin1Char(','));
    else if (background.isValid())
        job.backgroundColourText = background.toString();
    const QColor colour = colourFromText(job.backgroundColourText);
    if (colour.isValid())
        job.backgroundColour = colour;
    return true;
}
