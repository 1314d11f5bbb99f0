#pragma once

#include "RenameTransaction.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// Moves a file's content along an ordered run of file names: the names stay in
// place as slots and the contents rotate, so the moved file takes the target's
// name and the files between shift by one slot. All renames run as one
// RenameTransaction, so the folder is either fully rotated or as it was.
class FileMover
{
public:
    using TagSource = RenameTransaction::TagSource;

    struct Result
    {
        bool ok = true;
        QString failedFrom; // the rename that failed, empty when ok
        QString failedTo;
        QString error;
        QHash<QString, QString> renamed; // old full path -> new full path
    };

    explicit FileMover(TagSource tagSource = {});

    // The renames of a move, in row order of their sources: moving d onto b in
    // a, b, c, d gives b -> c, c -> d, d -> b.
    static QVector<QPair<QString, QString>> plan(const QStringList& paths, int from, int to);

    // paths: full paths in row order; from, to: rows. from == to does nothing.
    Result move(const QStringList& paths, int from, int to) const;
    void setStepHook(RenameTransaction::StepHook hook);

private:
    TagSource m_tagSource;
    RenameTransaction::StepHook m_hook;
};
