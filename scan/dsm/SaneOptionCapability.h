#pragma once

// A capability of this manager's own sources: MSG_SET with a one-value container
// holding a TW_STR255 "name=value" sets that SANE option of the open device as
// it stands. It reaches device options TWAIN has no capability for (the test
// device's picture and status codes, a vendor's lamp or dropout settings).

#include "../TwainDefs.h"

constexpr TW_UINT16 CAP_TARVO_SANEOPTION = CAP_CUSTOMBASE + 1;
