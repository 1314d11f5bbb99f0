#pragma once

#include <QString>
#include <QVector>

// One rename of a change: the page goes from -> temp -> to.
struct RenameStep
{
    QString from;
    QString temp;
    QString to;
};

// The hidden file that records a running rename change, so that a change cut
// short can be finished or undone later. It is always replaced whole through a
// temporary file and flushed to disk, so a reader sees either the old or the new
// record, never a torn one.
class RenameJournal
{
public:
    // ToTemporary: sources are moving to temporary names (undo on a crash);
    // ToTarget: every source reached its temporary name (finish on a crash).
    enum Phase
    {
        ToTemporary = 1,
        ToTarget = 2
    };

    explicit RenameJournal(const QString& path);

    QString path() const { return m_path; }
    bool write(Phase phase, const QVector<RenameStep>& steps) const;
    // False when the file is missing or not a complete journal.
    bool read(Phase* phase, QVector<RenameStep>* steps) const;
    bool remove() const;

    // ".tarvo-journal-" + pid.
    static QString fileName(qint64 pid);
    // The pid of a journal's file name, -1 when the name is not a journal's.
    static qint64 pidOf(const QString& fileName);
    // The pid of a journal's unfinished temporary file, -1 when it is not one.
    static qint64 pidOfPartial(const QString& fileName);
    static QString prefix();

private:
    QString m_path;
};
