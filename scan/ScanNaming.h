#pragma once

#include <QString>
#include <QStringList>

// How scanned pages are named: prefix + zero-filled running code + suffix +
// extension, as set in the scan panel's naming fields.
class ScanNaming
{
public:
    QString prefix;
    QString suffix;
    int nextCode = 1;
    int codeLength = 3;
    QString extension = QStringLiteral(".jpg"); // with its dot

    // The naming that follows the file selected in the list: prefix, suffix and
    // code length come from the file's running number; the rest is kept from current.
    static ScanNaming fromFileName(const QString& name, const ScanNaming& current);
    // The folder's largest running number + 1; 1 when no name holds one.
    static int nextCodeAfter(const QStringList& names);

    QString name(int code) const;
    // "" when pages can be named into folder, else why (for the operator).
    // highestCode: the widest code the caller will use; nextCode at least.
    QString validate(const QString& folder, int highestCode = 0) const;

    // The limits of the file system: one name and one whole path, in UTF-8 bytes.
    static constexpr int kMaxNameBytes = 255;
    static constexpr int kMaxPathBytes = 4095;
    // The messages shared with the placement's own checks.
    static QString nameTooLongMessage();
    static QString pathTooLongMessage();
    static QString noFolderMessage();
    static QString badTextMessage();
    // True when text cannot be part of a single file name.
    static bool unsafeNameText(const QString& text);
};
