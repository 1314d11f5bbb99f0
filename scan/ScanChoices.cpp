#include "ScanChoices.h"

#include "TwainDefs.h"

namespace ScanChoices {

QVector<Choice> deviceTypes()
{
    return {{QStringLiteral("平板"), 0}, {QStringLiteral("高扫"), 1}};
}

QVector<Choice> sides()
{
    return {{QStringLiteral("单面扫描"), 0}, {QStringLiteral("双面扫描"), 1}};
}

QVector<Choice> paperSizes()
{
    return {{QStringLiteral("自动"), TWSS_NONE}, {QStringLiteral("A5"), TWSS_A5},
            {QStringLiteral("A4"), TWSS_A4},     {QStringLiteral("A3"), TWSS_A3},
            {QStringLiteral("A2"), TWSS_A2},     {QStringLiteral("A1"), TWSS_A1},
            {QStringLiteral("B5"), TWSS_JISB5},  {QStringLiteral("B4"), TWSS_ISOB4}};
}

QVector<Choice> colours()
{
    return {{QStringLiteral("彩色"), TWPT_RGB},
            {QStringLiteral("黑白"), TWPT_BW},
            {QStringLiteral("灰度图"), TWPT_GRAY}};
}

QVector<Choice> resolutions()
{
    QVector<Choice> dpis{
        {QStringLiteral("75"), 75}, {QStringLiteral("100"), 100}, {QStringLiteral("150"), 150}};
    for (int dpi = 200; dpi <= 1200; dpi += 100)
        dpis.append({QString::number(dpi), dpi});
    return dpis;
}

QVector<Choice> orientations()
{
    return {{QStringLiteral("0°"), TWOR_ROT0},
            {QStringLiteral("90°"), TWOR_ROT90},
            {QStringLiteral("180°"), TWOR_ROT180},
            {QStringLiteral("270°"), TWOR_ROT270}};
}

QVector<Choice> fileFormats()
{
    return {{QStringLiteral(".jpg"), TWFF_JFIF},
            {QStringLiteral(".tiff"), TWFF_TIFF},
            {QStringLiteral(".bmp"), TWFF_BMP}};
}

QVector<Choice> compressions()
{
    return {{QStringLiteral("JPEG压缩"), TWCP_JPEG},
            {QStringLiteral("LZW压缩"), TWCP_LZW},
            {QStringLiteral("PNG压缩"), TWCP_PNG},
            {QStringLiteral("ZIP压缩"), TWCP_ZIP}};
}

QVector<Choice> qualities()
{
    return {{QStringLiteral("高"), TWJQ_HIGH},
            {QStringLiteral("中"), TWJQ_MEDIUM},
            {QStringLiteral("低"), TWJQ_LOW}};
}

QString initialResolution()
{
    return QStringLiteral("300");
}

QString initialOrientation()
{
    return QStringLiteral("0°");
}

QString initialQuality()
{
    return QStringLiteral("中");
}

const Choice* find(const QVector<Choice>& choices, const QString& text)
{
    for (const Choice& choice : choices) {
        if (choice.text == text)
            return &choice;
    }
    return nullptr;
}

} // namespace ScanChoices
