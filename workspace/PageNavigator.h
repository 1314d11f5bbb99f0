#pragma once

#include <QModelIndex>

// Where the previous and next page buttons lead: a row of the file list, or at
// the end of a folder the first page of the folder after it in the tree.
class PageNavigator
{
public:
    // The row to make current, or -1 when the button does nothing.
    static int previousRow(int currentRow, int rowCount);
    static int nextRow(int currentRow, int rowCount);
    // The folder after this one under the same parent; invalid at the last one.
    static QModelIndex nextFolder(const QModelIndex& folder);
};
