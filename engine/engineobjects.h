#pragma once
// The engine's class-object table and its private creation function.

#include "platform/atl/atlbase.h"

// Every engine coclass, for the module's class-object registration:
//   AtlModule().AddObjectMap(EngineObjectMap());
CwObjectEntry* EngineObjectMap();

// Creates an engine object in the caller's apartment straight from the table;
// classes not in it go through CoCreateInstance with CLSCTX 0x17.
HRESULT EngineCreateInstance(REFCLSID clsid, REFIID iid, void** ppv);

template <class Q>
HRESULT EngineCreateInstance(REFCLSID clsid, Q** ppv)
{
    return EngineCreateInstance(clsid, __uuidof(Q), reinterpret_cast<void**>(ppv));
}

// In-process server, in-process handler, local server, remote server.
const DWORD kEngineClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER |
                                  CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
