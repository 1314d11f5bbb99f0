#include "PageName.h"

#include "NameUtils.h"

namespace {

int extensionStart(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : name.size();
}

} // namespace

QString PageName::baseOf(const QString& name)
{
    return name.left(extensionStart(name));
}

QString PageName::extensionOf(const QString& name)
{
    return name.mid(extensionStart(name));
}

PageName PageName::parse(const QString& name)
{
    PageName result;
    const QString base = baseOf(name);
    result.extension = extensionOf(name);
    result.digits = runningNumber(base);
    if (result.digits.isEmpty()) {
        result.prefix = base;
        return result;
    }
    const int pos = base.lastIndexOf(result.digits);
    result.prefix = base.left(pos);
    result.suffix = base.mid(pos + result.digits.size());
    return result;
}

PageName PageName::match(const QString& name, const QString& prefix, const QString& suffix)
{
    PageName result;
    const QString base = baseOf(name);
    result.extension = extensionOf(name);
    result.prefix = prefix;
    result.suffix = suffix;
    if (base.size() > prefix.size() + suffix.size() && base.startsWith(prefix) &&
        base.endsWith(suffix)) {
        const QString middle = base.mid(prefix.size(), base.size() - prefix.size() - suffix.size());
        if (isAllDigits(middle))
            result.digits = middle;
    }
    return result;
}

int PageName::number() const
{
    bool fits = false;
    const int value = digits.toInt(&fits);
    return fits ? value : -1;
}

QString PageName::withNumber(int value) const
{
    return prefix + codeText(value, width(), true) + suffix + extension;
}
