#pragma once
// The current skin version pair that record readers test. The store's load
// sets it to the version of the file being read and back to 1.18 at the end;
// installing a skin sets it to the skin's version. It is kept per thread so
// that two threads loading skins at once each read with their own file's
// version.

#include <windows.h>

struct SkinVersion
{
    BYTE major;
    BYTE minor;
};

const BYTE SKIN_NEWEST_MINOR = 18;

SkinVersion GetSkinVersion();
void SetSkinVersion(BYTE major, BYTE minor);
// A field present "from 1.n": major not 0 and minor at least n.
bool SkinVersionFrom(int minor);
// A field present only in 1.lo to 1.hi.
bool SkinVersionBetween(int lo, int hi);
