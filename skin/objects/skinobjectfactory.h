#pragma once
// Makes the object class of a record's type id; NULL for an id that is
// skipped at that level (only its 4-byte id is consumed).

#include "skin/objects/skinobject.h"

CSkinObject* CreateSkinObject(int type, bool topLevel);
