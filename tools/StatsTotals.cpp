#include "StatsTotals.h"

#include "PageFormat.h"

int StatsTotals::a4Equivalent() const
{
    const QString beyondA0 = PageFormat::table().constLast().name;
    int sum = 0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        const int weight = it.key() == beyondA0 ? PageFormat::a4Weight(QStringLiteral("A0"))
                                                : PageFormat::a4Weight(it.key());
        sum += weight * it.value();
    }
    return sum;
}
