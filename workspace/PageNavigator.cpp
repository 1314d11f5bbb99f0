#include "PageNavigator.h"

int PageNavigator::previousRow(int currentRow, int rowCount)
{
    return currentRow >= 1 && currentRow < rowCount ? currentRow - 1 : -1;
}

int PageNavigator::nextRow(int currentRow, int rowCount)
{
    return currentRow >= -1 && currentRow + 1 < rowCount ? currentRow + 1 : -1;
}

QModelIndex PageNavigator::nextFolder(const QModelIndex& folder)
{
    if (!folder.isValid())
        return QModelIndex();
    return folder.sibling(folder.row() + 1, 0);
}
