#pragma once

#include "RenameTransaction.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// One line of a rename preview: a name in the folder and the name it gets.
struct RenameRow
{
    QString oldName;
    QString newName;
};

// What the rename dialogs do, without the dialogs: the preview rows from the
// operator's parameters, the check of the rows against the folder, and the one
// rename change that carries them out.
class BatchRenamePlan
{
public:
    enum Mode
    {
        Files = 1,
        Folders = 2
    };

    struct Outcome
    {
        bool ok = true;
        QString message;                 // for the operator when not ok
        QHash<QString, QString> renamed; // old full path -> new full path
    };

    // Running codes: prefix + code + suffix (+ "." + the old suffix for files).
    static QVector<RenameRow> numbered(const QStringList& names, Mode mode, const QString& prefix,
                                       int start, int length, bool zeroFill, const QString& suffix);
    // The names holding find (all when find is empty), with find replaced when
    // both texts are given, else unchanged.
    static QVector<RenameRow> replaced(const QStringList& names, const QString& find,
                                       const QString& replacement);

    // "" when the rows can run in dir, else one message naming the first bad row
    // (1-based as the table shows it). New names must be valid, unique ignoring
    // case and either free in dir or freed by another row; files keep their format.
    static QString problem(const QString& dir, const QVector<RenameRow>& rows, Mode mode,
                           const QString& dataRoot = QString());

    // The old -> new full paths of the rows that change a name.
    static QHash<QString, QString> pathMap(const QString& dir, const QVector<RenameRow>& rows);

    // Checks, then renames every changed row as one change: all or nothing.
    static Outcome run(const QString& dir, const QVector<RenameRow>& rows, Mode mode,
                       const QString& dataRoot = QString(),
                       const RenameTransaction::StepHook& hook = {});
    // Runs an old -> new map of full paths as one change (undo of an earlier one).
    static Outcome runMap(const QString& journalFolder, const QHash<QString, QString>& oldToNew,
                          bool folders, const RenameTransaction::StepHook& hook = {});
};
