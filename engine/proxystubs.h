#pragma once
// NDR proxy/stubs of the engine's interfaces, built into the program. COM
// finds them through a class object and proxy/stub CLSIDs registered in each
// apartment that marshals engine interfaces: nothing goes to the registry.

#include <windows.h>

// Registers the proxy/stub factory and maps every engine IID to it for the
// calling apartment; *cookie is for RevokeEngineProxyStubs.
HRESULT RegisterEngineProxyStubs(DWORD* cookie);
HRESULT RevokeEngineProxyStubs(DWORD cookie);
