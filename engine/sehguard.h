#pragma once
// Forwards to the structured-exception guard of the platform layer, where the
// window procedure uses it too; include "platform/sehguard.h" directly.
#include "platform/sehguard.h"
