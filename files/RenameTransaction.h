#pragma once

#include "RenameJournal.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <functional>

// Renames a set of page files as one change: either every rename happens or the
// folder is left as it was. Sources first move to temporary names, then the
// temporary names move to their targets, so swaps and rotations never meet a
// taken name and no rename overwrites a file. A hidden journal in the folder
// names every step while the change runs, so a change cut short by a crash is
// finished or undone the next time the folder is listed (recover).
class RenameTransaction
{
public:
    // Eight-character tags of temporary names; random by default.
    using TagSource = std::function<QString()>;
    // Called after each rename on disk with its ordinal (0-based), rollbacks included.
    using StepHook = std::function<void(int)>;

    struct Result
    {
        bool ok = true;
        QString failedFrom; // the rename that failed or the step that was refused
        QString failedTo;
        QString error; // why, for the operator and the log
    };

    // journalFolder: the folder that holds the journal while the change runs.
    explicit RenameTransaction(const QString& journalFolder, TagSource tags = {});

    // Full paths; a step that keeps its name is dropped.
    void add(const QString& from, const QString& to);
    // "" when the change can run, else why.
    QString validate() const;
    // Validates, then renames in two phases; on any failure undoes what was done.
    Result commit();
    // Old full path -> new full path of every step.
    QHash<QString, QString> map() const;
    void setStepHook(StepHook hook);
    // Lets the steps move folders too (renaming sub-folders); off, a folder source is refused.
    void setFoldersAllowed(bool allowed) { m_foldersAllowed = allowed; }

    // Finishes or undoes the changes whose journals were left in folder by
    // processes that are gone; returns how many were mended.
    static int recover(const QString& folder);
    // ".tarvo-journal-" + the pid of this process.
    static QString journalName();

private:
    int invalidStep(QString* why) const;
    bool chooseTemporaryNames();
    QString drawTemporaryPath(const QString& path, const QSet<QString>& reserved) const;
    bool run(RenameJournal& journal, Result* result);
    bool renamed(const QString& from, const QString& to, QString* error);
    bool rollBack(RenameJournal& journal, int phaseOneDone, int phaseTwoDone);

    QString m_journalFolder;
    TagSource m_tags;
    StepHook m_hook;
    QVector<RenameStep> m_steps;
    int m_ordinal = 0;
    bool m_foldersAllowed = false;
};
