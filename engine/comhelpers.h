#pragma once
// Small helpers of the engine's COM classes: string resources and byte arrays.

#include <windows.h>
#include <oleauto.h>

#include "platform/mfc/cstring.h"

// Loads string resource `id` of the program into out (empty when missing).
void LoadStringResource(CString& out, UINT id);

// A one-dimensional VT_UI1 array with lower bound 0 holding the bytes; null
// when it cannot be created; a failing element store raises _com_error.
SAFEARRAY* CreateByteSafeArray(const BYTE* bytes, DWORD size);

// SafeArrayDestroy; on success *array becomes null.
HRESULT DestroySafeArray(SAFEARRAY** array);
