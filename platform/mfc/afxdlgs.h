#pragma once
// The framework's common dialogs.

#include "platform/mfc/cfiledialog.h"
