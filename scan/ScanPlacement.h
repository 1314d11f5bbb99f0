#pragma once

#include "RenameTransaction.h"
#include "ScanNaming.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// Puts the pages of a finished scan from the private temporary folder into the
// folder open in the tree: behind its last page (append), before the current
// page with the following pages renumbered (insert), in place of the current
// pages (replace), or not at all (preview). Pages are copied into the folder
// under hidden names first and then renamed into place together with every
// renumbering in one RenameTransaction, so the folder either holds the whole
// change or is left as it was; pages that could not go in are moved into a
// recovery folder, never left to the next emptying of the temporary folder.
class ScanPlacement
{
public:
    enum Mode
    {
        Append = 1,
        Insert = 2,
        Replace = 3,
        Preview = 4
    };

    struct Job
    {
        int mode = Append;
        QString folder;
        QString currentFile; // "" when the folder holds no page
        ScanNaming naming;
        QStringList pages;    // full paths in the order they were scanned
        QString recoveryRoot; // the program's data folder
    };

    // A rename of an existing file, both names inside the job's folder.
    struct Rename
    {
        QString from;
        QString to;
    };

    struct Plan
    {
        QString error;          // why the pages cannot go in; "" when they can
        QString note;           // for the operator, e.g. that insert became append
        QStringList pages;      // the pages that arrived, in order
        QStringList targets;    // the name each page takes
        QVector<Rename> shifts; // existing pages renumbered to make room
        QStringList replaced;   // existing pages that the new ones take the place of
        QStringList missing;    // pages named by the scan but not found
    };

    struct Result
    {
        bool ok = true;
        QStringList placed;               // full paths of the pages, in page order
        QStringList failed;               // pages that are neither placed nor recovered
        QString recoveryFolder;           // where pages (or replaced pages) were saved
        QString message;                  // for the operator; "" when nothing needs saying
        QString error;                    // the cause of a failure, for the log
        QHash<QString, QString> oldToNew; // existing pages renamed: full paths
        QString selectName;               // the page to make current
    };

    // Reads the folder and returns what place would do; changes nothing.
    static Plan plan(const Job& job);
    Result place(const Job& job, const Plan& plan) const;

    // Moves every page left in tempFolder into a new recovery folder under
    // recoveryRoot; returns that folder, "" when there was nothing to move.
    static QString rescueLeftovers(const QString& tempFolder, const QString& recoveryRoot);
    // Moves what a placement cut short by a crash left hidden in folder (old
    // pages waiting for the trash, copies waiting to be renamed in) into a new
    // recovery folder; returns it, "" when there was nothing to move.
    static QString rescueFolderLeftovers(const QString& folder, const QString& recoveryRoot);
    static QString failedMessage();

    // For tests: called after each rename of the placing change.
    void setStepHook(RenameTransaction::StepHook hook);

private:
    Result fail(const Job& job, const Plan& plan, const QString& why) const;
    void disposeReplaced(const QString& asideFolder, const QString& recoveryRoot,
                         Result* result) const;

    RenameTransaction::StepHook m_hook;
};
