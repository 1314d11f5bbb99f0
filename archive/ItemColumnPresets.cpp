#include "ItemColumnPresets.h"

#include "NameUtils.h"

ItemColumnPresets ItemColumnPresets::choose(const QStringList& headerNames)
{
    ItemColumnPresets presets;
    presets.archiveNo = bestMatch(QStringLiteral("档号"), headerNames);
    presets.pageNo = bestMatch(QStringLiteral("页号"), headerNames);
    presets.pageCount = bestMatch(QStringLiteral("页数"), headerNames);
    presets.caseFileNo = bestMatch(QStringLiteral("案卷档号"), headerNames);
    return presets;
}
