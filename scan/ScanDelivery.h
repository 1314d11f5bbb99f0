#pragma once

#include "ScanNaming.h"
#include "ScanPlacement.h"

#include <QString>
#include <QStringList>

// Where the pages of a scan without the window go. The scanner writes into the
// private temporary folder; an append places each page into the folder as it
// arrives, insert and replace place them all once the scan is over, preview
// leaves them where they are. Blank pages (when skipped) and pages that cannot
// be placed are moved into a recovery folder, so none is left behind.
class ScanDelivery
{
public:
    struct Options
    {
        int mode = ScanPlacement::Append;
        QString folder;
        QString atFile; // insert and replace: the page the new ones go at
        ScanNaming naming;
        bool skipBlank = false;
        QString recoveryRoot;
    };

    explicit ScanDelivery(const Options& options);

    // One page written by the scanner; returns the progress line.
    QString pageArrived(const QString& path);
    // After the last page: places what waits, keeps the blank pages, and
    // returns the summary lines. False when a page could not be placed.
    bool finish(QStringList* lines);

    int pagesPlaced() const { return m_placed.size(); }
    int pagesSkipped() const { return m_skipped; }

private:
    void record(const ScanPlacement::Result& result);

    Options m_options;
    int m_arrived = 0;
    int m_skipped = 0;
    QStringList m_waiting; // insert, replace, preview: pages still in the temporary folder
    QStringList m_blank;
    QStringList m_placed;
    QStringList m_failed;
    QStringList m_messages;
    QStringList m_recoveryFolders;
    bool m_anyFailed = false;
    int m_renumbered = 0;
    int m_replaced = 0;
};
