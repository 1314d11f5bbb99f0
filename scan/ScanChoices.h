#pragma once

#include <QString>
#include <QVector>

// The scanner panel's choices: the items of each list in the panel's order,
// with the TWAIN code each one carries. The window's scan tab and tarvo-scan
// read their choices from here, so both name the same settings the same way.
namespace ScanChoices {

struct Choice
{
    QString text;
    int value = 0;
};

QVector<Choice> deviceTypes();  // 平板 / 高扫: the feeder setting
QVector<Choice> sides();        // 单面扫描 / 双面扫描: the duplex setting
QVector<Choice> paperSizes();   // TWSS_ codes
QVector<Choice> colours();      // TWPT_ codes
QVector<Choice> resolutions();  // dots per inch
QVector<Choice> orientations(); // TWOR_ codes
QVector<Choice> fileFormats();  // extension with its dot -> TWFF_ code
QVector<Choice> compressions(); // TWCP_ codes
QVector<Choice> qualities();    // TWJQ_ codes

// The item texts selected at first.
QString initialResolution();  // "300"
QString initialOrientation(); // "0°"
QString initialQuality();     // "中"

// The choice whose text is text; nullptr when none.
const Choice* find(const QVector<Choice>& choices, const QString& text);

} // namespace ScanChoices
