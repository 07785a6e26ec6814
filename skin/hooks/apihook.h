#pragma once
// Import-table interception: the import address table slot of a function in
// every module of the process is pointed at a replacement, and modules
// loaded later are patched as they load (LoadLibrary and GetProcAddress are
// intercepted the same way while any hook exists).

#include <windows.h>

// One intercepted function, a node of the process-wide list, newest first.
struct ApiHook
{
    ApiHook* next;
    char module[64];    // the exporting module, e.g. "USER32.dll"
    char function[64];
    void* real;
    void* replacement;
    BOOL excludeOwnModule;
};

// Links a node in, finds the real address through the module's exports and
// points every module's slot of it at the replacement. NULL when the
// function cannot be found (nothing is patched then).
ApiHook* ApiHook_Create(LPCSTR module, LPCSTR function, void* replacement, BOOL excludeOwnModule);
// Puts the real address back in every module and frees the node.
void ApiHook_Destroy(ApiHook* hook);

// The loader hooks that patch modules as they load; installed once while
// any ApiHook exists, removed with RemoveLoaderHooks.
bool InstallLoaderHooks();
void RemoveLoaderHooks();
bool AreLoaderHooksInstalled();

// Points, in every module of the process (but this one with
// excludeOwnModule), the import slot of module's function that holds current
// at replacement.
void ReplaceImportInAllModules(LPCSTR module, void* current, void* replacement, BOOL excludeOwnModule);
// The same in one module; false when it imports no such slot.
bool ReplaceImportInModule(LPCSTR module, void* current, void* replacement, HMODULE inModule);
// The first import slot of inModule's imports from module holding address,
// or NULL.
void** FindImportSlot(HMODULE inModule, LPCSTR module, void* address);
