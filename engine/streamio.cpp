#include "engine/streamio.h"

#include <oleauto.h>

namespace {

// A read that returns fewer bytes than asked, or S_FALSE, is a failure.
HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size)
{
    ULONG got = 0;
    HRESULT hr = stream->Read(buffer, size, &got);
    if (FAILED(hr))
        return hr;
    if (hr == S_FALSE || got != size)
        return E_FAIL;
    return S_OK;
}

HRESULT WriteExactly(IStream* stream, const void* buffer, ULONG size)
{
    ULONG put = 0;
    HRESULT hr = stream->Write(buffer, size, &put);
    if (FAILED(hr))
        return hr;
    return put == size ? S_OK : STG_E_MEDIUMFULL;
}

ULONGLONG Position(IStream* stream)
{
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &pos);
    return pos.QuadPart;
}

// Back to the length field, however much of the text a short read consumed.
void SeekTo(IStream* stream, ULONGLONG position)
{
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(position);
    stream->Seek(move, STREAM_SEEK_SET, nullptr);
}

} // namespace

HRESULT ReadStreamU32(IStream* stream, DWORD* value)
{
    BYTE b[4];
    HRESULT hr = ReadExactly(stream, b, 4);
    if (FAILED(hr))
        return hr;
    *value = static_cast<DWORD>(b[0]) | (static_cast<DWORD>(b[1]) << 8) |
             (static_cast<DWORD>(b[2]) << 16) | (static_cast<DWORD>(b[3]) << 24);
    return S_OK;
}

HRESULT WriteStreamU32(IStream* stream, DWORD value)
{
    BYTE b[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                 static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return WriteExactly(stream, b, 4);
}

HRESULT WriteStreamString(IStream* stream, BSTR text)
{
    if (!text)
        return WriteStreamU32(stream, 0);
    DWORD bytes = SysStringByteLen(text);
    HRESULT hr = WriteStreamU32(stream, bytes + 2);
    if (FAILED(hr))
        return hr;
    // The allocation holds the terminator right after the text.
    return WriteExactly(stream, text, bytes + 2);
}

HRESULT ReadStreamString(IStream* stream, BSTR* text)
{
    SysFreeString(*text);
    *text = nullptr;
    const ULONGLONG start = Position(stream);
    DWORD length = 0;
    HRESULT hr = ReadStreamU32(stream, &length);
    if (FAILED(hr))
        return hr;
    if (length == 0)
        return S_OK;
    if (length < 2 || (length & 1) || length > kMaxStreamBlock)
    {
        SeekTo(stream, start);
        return E_FAIL;
    }
    BSTR s = SysAllocStringByteLen(nullptr, length - 2);
    if (!s)
    {
        SeekTo(stream, start);
        return E_OUTOFMEMORY;
    }
    hr = ReadExactly(stream, s, length);
    if (FAILED(hr))
    {
        SysFreeString(s);
        SeekTo(stream, start);
        return hr;
    }
    reinterpret_cast<BYTE*>(s)[length - 2] = 0;
    reinterpret_cast<BYTE*>(s)[length - 1] = 0;
    *text = s;
    return S_OK;
}

HRESULT WriteStreamBytes(IStream* stream, const void* data, DWORD size)
{
    return size == 0 ? S_OK : WriteExactly(stream, data, size);
}

HRESULT ReadStreamBytes(IStream* stream, std::vector<BYTE>& data, DWORD size)
{
    if (size > kMaxStreamBlock)
        return E_FAIL;
    std::vector<BYTE> buffer(size);
    if (size)
    {
        HRESULT hr = ReadExactly(stream, buffer.data(), size);
        if (FAILED(hr))
            return hr;
    }
    data.swap(buffer);
    return S_OK;
}
