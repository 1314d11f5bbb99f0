#include "SaneStatusMap.h"

TwainCondition conditionForSaneStatus(SANE_Status status)
{
    switch (status) {
    case SANE_STATUS_GOOD:
    case SANE_STATUS_EOF:
        return {TWCC_SUCCESS, 0};
    case SANE_STATUS_NO_DOCS:
        return {TWCC_NOMEDIA, 0};
    case SANE_STATUS_JAMMED:
        return {TWCC_PAPERJAM, 0};
    case SANE_STATUS_COVER_OPEN:
        return {TWCC_INTERLOCK, 0};
    case SANE_STATUS_IO_ERROR:
        return {TWCC_CHECKDEVICEONLINE, 0};
    case SANE_STATUS_DEVICE_BUSY:
        // Data 1 tells "busy, try again" apart from a device that is gone.
        return {TWCC_CHECKDEVICEONLINE, 1};
    default:
        return {TWCC_OPERATIONERROR, 0};
    }
}
