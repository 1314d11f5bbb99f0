#pragma once

#include "ScanPlacement.h"

#include <QSet>

// Works out where the pages of a scan go and which existing pages move, from
// the folder as it is on disk; see ScanPlacement.
class ScanPlanner
{
public:
    explicit ScanPlanner(const ScanPlacement::Job& job);
    ScanPlacement::Plan run();

private:
    void appendFrom(int page);
    void insert();
    void replace();
    QString freeName();
    void claim(const QString& name);
    void becomeAppend(const QString& why);
    QString check() const;

    const ScanPlacement::Job& m_job;
    ScanPlacement::Plan m_plan;
    QStringList m_entries;  // every name in the folder, hidden ones included
    QStringList m_files;    // the visible files
    QSet<QString> m_taken;  // names on disk or given out by this plan
    QSet<int> m_takenCodes; // codes of the naming's prefix and suffix in use
    int m_nextCode = 1;
    int m_highestFreeCode = 0;
};
