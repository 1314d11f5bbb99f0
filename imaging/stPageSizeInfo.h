#pragma once

// A page size in whole millimetres, as chosen in the page size dialog.
struct stPageSizeInfo
{
    int widthMM = 0;
    int heightMM = 0;
};
