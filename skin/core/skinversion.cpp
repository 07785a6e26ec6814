#include "skin/core/skinversion.h"

static thread_local SkinVersion t_version = {1, SKIN_NEWEST_MINOR};

SkinVersion GetSkinVersion()
{
    return t_version;
}

void SetSkinVersion(BYTE major, BYTE minor)
{
    t_version.major = major;
    t_version.minor = minor;
}

bool SkinVersionFrom(int minor)
{
    return t_version.major != 0 && t_version.minor >= minor;
}

bool SkinVersionBetween(int lo, int hi)
{
    return t_version.major != 0 && t_version.minor >= lo && t_version.minor <= hi;
}
