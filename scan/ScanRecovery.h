#pragma once

#include <QString>
#include <QStringList>

// Keeps scanned pages that could not be placed: each is copied into a new
// folder <root>/scan-recovery/<yyyyMMdd-HHmmss>/ and removed only once the
// copy is complete. The names keep the page order ("0001-", "0002-", ...).
class ScanRecovery
{
public:
    // Moves the pages; those that could not be moved stay where they were and
    // are listed in failed. Returns the folder, "" when none could be made.
    static QString save(const QStringList& pages, const QString& root, QStringList* failed,
                        bool numbered = true);
    // Copies from to a new file to (never over an existing one), flushed to
    // disk; a partial copy is removed.
    static bool copyFile(const QString& from, const QString& to, QString* error = nullptr);

    // Flushes the folder's entries to disk, so a file renamed or created there
    // survives a power cut before its other copy is removed.
    static bool syncFolder(const QString& path);

private:
    static QString newFolder(const QString& root);
};
