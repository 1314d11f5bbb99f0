#pragma once

#include "SplitRow.h"

#include <QSet>
#include <QVector>

// The splitting tool's check of page numbers against page counts. Rows are the
// documents of case files in list order; within a case file each page number is
// the document's first page, and the last document carries its range "start-end".
class PageNumberCheck
{
public:
    // checkCounts: a page count that differs from the page numbers is an error.
    // setCounts: counts take the values the page numbers give (the page-number split).
    PageNumberCheck(bool checkCounts, bool setCounts);

    // The quality check's reading of the same rules: a first page number that is
    // not a number says so ("非数字格式"), and page numbers that go backwards are
    // reported before a page count that disagrees with them.
    void setEntryCheck(bool entryCheck) { m_entryCheck = entryCheck; }

    // "" when the rows of the selected case files pass, else the first failure's
    // message. counts holds one page count per row.
    QString check(const QVector<SplitRow>& rows, const QSet<QString>& selected,
                  QVector<qint64>* counts) const;

private:
    QString sameCaseFile(const SplitRow& cur, const SplitRow& next, qint64* count) const;
    // A row that carries its range: a last document, inside or at the end of the list.
    QString withinRange(const SplitRow& cur, qint64* count) const;
    QString lastOfCaseFile(const SplitRow& cur, const SplitRow& next, qint64* count) const;

    bool m_checkCounts;
    bool m_setCounts;
    bool m_entryCheck = false;
};
