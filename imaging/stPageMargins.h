#pragma once

// Page margins in whole millimetres.
struct stPageMargins
{
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};
