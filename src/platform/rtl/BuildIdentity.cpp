#include "BuildIdentity.h"

const char *BuildIdentity::Platform()
{
    return KPF_BUILD_ID;
}
