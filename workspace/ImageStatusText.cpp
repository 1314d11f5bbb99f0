#include "ImageStatusText.h"

#include "PageInfo.h"

ImageStatusText ImageStatusText::make(const QSize& fullSize, const PageInfo& info,
                                      const QString& path)
{
    ImageStatusText text;
    text.size = QStringLiteral("大小：%1x%2").arg(fullSize.width()).arg(fullSize.height());
    text.resolution = QStringLiteral("dpi：%1x%2").arg(info.dpiX).arg(info.dpiY);
    text.colour = info.colourText;
    text.path = path;
    return text;
}
