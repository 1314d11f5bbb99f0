#pragma once

#include <QString>

// A page's file name seen as prefix + running number + suffix + extension.
// The extension starts at the last dot that is not the first character.
struct PageName
{
    QString prefix;
    QString digits; // "" when the name has no running number
    QString suffix;
    QString extension;

    // Splits at the last run of digits of the name without its extension.
    static PageName parse(const QString& name);
    // Splits name as prefix + digits + suffix + any extension; digits stay
    // empty when the name does not have that shape.
    static PageName match(const QString& name, const QString& prefix, const QString& suffix);
    static QString baseOf(const QString& name);
    static QString extensionOf(const QString& name);

    bool numbered() const { return !digits.isEmpty(); }
    // The running number; -1 without one or when it does not fit an int.
    int number() const;
    int width() const { return digits.size(); }
    // The same name with another number, zero-filled to this name's width.
    QString withNumber(int number) const;
};
