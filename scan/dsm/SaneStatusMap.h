#pragma once

// How a SANE failure reads to a TWAIN application: the condition code (and its
// Data word) that DG_CONTROL/DAT_STATUS reports after the failing call.

#include "../TwainDefs.h"

#include <sane/sane.h>

struct TwainCondition
{
    TW_UINT16 code = TWCC_SUCCESS;
    TW_UINT16 data = 0;
};

TwainCondition conditionForSaneStatus(SANE_Status status);
