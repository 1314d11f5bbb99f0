#include "ProcessParams.h"

ProcessParams& ProcessParams::current()
{
    static ProcessParams params;
    return params;
}
