#include "engine/comhelpers.h"

#include "platform/atl/atlbase.h"

void LoadStringResource(CString& out, UINT id)
{
    out.Empty();
    HINSTANCE module = GetModuleHandleA(nullptr);
    int size = 256;
    for (;;)
    {
        char* buffer = new (std::nothrow) char[static_cast<size_t>(size)];
        if (!buffer)
            return;
        int n = LoadStringA(module, id, buffer, size);
        if (n < size - 1)
        {
            out = CString(buffer, n > 0 ? n : 0);
            delete[] buffer;
            return;
        }
        delete[] buffer;
        size += size < 4096 ? size : 4096;
    }
}

SAFEARRAY* CreateByteSafeArray(const BYTE* bytes, DWORD size)
{
    SAFEARRAYBOUND bound;
    bound.lLbound = 0;
    bound.cElements = size;
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (!array)
        return nullptr;
    for (DWORD i = 0; i < size && bytes; ++i)
    {
        LONG index = static_cast<LONG>(i);
        BYTE b = bytes[i];
        HRESULT hr = SafeArrayPutElement(array, &index, &b);
        if (FAILED(hr))
        {
            SafeArrayDestroy(array);
            CheckHResult(hr);
        }
    }
    return array;
}

HRESULT DestroySafeArray(SAFEARRAY** array)
{
    if (!array)
        return E_POINTER;
    HRESULT hr = SafeArrayDestroy(*array);
    if (SUCCEEDED(hr))
        *array = nullptr;
    return hr;
}
