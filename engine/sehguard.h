#pragma once
// The structured-exception guard moved to the platform layer, where the
// window procedure uses it too.
#include "platform/sehguard.h"
