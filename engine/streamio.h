#pragma once
// The primitives of the engine's stream formats: little-endian u32 fields,
// length-prefixed UTF-16 strings and raw byte runs over an IStream.

#include <windows.h>
#include <objidl.h>
#include <vector>

// Hostile or damaged streams cannot make a load allocate more than this.
const DWORD kMaxStreamBlock = 64u * 1024u * 1024u;

// One read of 4 bytes; a short read or S_FALSE is E_FAIL.
HRESULT ReadStreamU32(IStream* stream, DWORD* value);
HRESULT WriteStreamU32(IStream* stream, DWORD value);

// L = 0 for null, else the UTF-16 byte length + 2, then the units and a 0 unit.
HRESULT WriteStreamString(IStream* stream, BSTR text);
// Frees *text first. L = 0 gives null. A length of 1, an odd length or one
// above kMaxStreamBlock, a failed allocation (E_OUTOFMEMORY) or a short or
// failed read of the text moves the stream back to the length field and
// fails (E_FAIL for anything but a read error or no memory). The text always
// ends in a terminator.
HRESULT ReadStreamString(IStream* stream, BSTR* text);

HRESULT WriteStreamBytes(IStream* stream, const void* data, DWORD size);
// Exactly `size` bytes (at most kMaxStreamBlock) or E_FAIL.
HRESULT ReadStreamBytes(IStream* stream, std::vector<BYTE>& data, DWORD size);
