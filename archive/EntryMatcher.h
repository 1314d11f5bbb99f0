#pragma once

#include "ItemRecord.h"

#include <QSet>
#include <QStringList>
#include <QVector>

class ItemHeaders;

// Checks the item folders under a data folder against the records of an item
// list: the page numbers (case files only), then every record's folder and the
// number of page images in it, then what lies there that no record names.
// Widget-free: the quality-check dialog and the headless check share it.
class EntryMatcher
{
public:
    struct Options
    {
        QString dataDir;
        // Folder levels below dataDir, each a header text ("案卷档号/档号").
        QString rule;
        bool caseFile = true;
        bool checkPageNumbers = false;
        QString archiveNoHeader;
        QString pageNoHeader;
        QString pageCountHeader;
        QString caseFileHeader;
    };

    struct Result
    {
        // The first failure that stops the run ("" when it ran through); it
        // goes into a box titled "错误".
        QString failure;
        // Missing folders, miscounted pages, unusable folder names, in record order.
        QStringList errors;
        // Folders and files no record names and empty item folders.
        QStringList unclaimed;
        bool ok() const { return failure.isEmpty(); }
    };

    static Result match(const QVector<ItemRecord>& records, const ItemHeaders& headers,
                        const Options& options);

    // The rule's fields, empty parts dropped.
    static QStringList ruleFields(const QString& rule);
    // "*.jpg" ... "*.TIFF": the nine patterns a page image is counted by.
    static const QStringList& imagePatterns();
    // Plain files in folder whose names match imagePatterns() (case as written).
    static int countImages(const QString& folder);

private:
    static QString checkPageNumbers(const QVector<ItemRecord>& records, const Options& options);
    static QStringList unclaimed(const QString& dataDir, int depth, const QSet<QString>& claimed);
};
