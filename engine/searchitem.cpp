#include "engine/searchitem.h"

#include <cstring>

#include "engine/streamio.h"

namespace {

LONG g_itemCounter = 0;

const DWORD kRootClassesRoot = 0x80000000;
const DWORD kRootCurrentUser = 0x80000001;
const DWORD kRootLocalMachine = 0x80000002;
const DWORD kRootUsers = 0x80000003;

bool IsRegistryType(ScanAreaType type)
{
    return type == saRegistry || type == saGuardedRegistry;
}

} // namespace

HRESULT CopyBstrUpToNul(BSTR text, CComBSTR& target)
{
    if (!text)
    {
        target.Empty();
        return S_OK;
    }
    BSTR copy = SysAllocString(text);
    if (!copy)
        return E_OUTOFMEMORY;
    target.Attach(copy);
    return S_OK;
}

HRESULT CopyBstrOut(BSTR text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!text)
        return S_OK;
    *out = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
    return *out ? S_OK : E_OUTOFMEMORY;
}

CSearchItem::CSearchItem()
    : m_id(static_cast<DWORD>(InterlockedIncrement(&g_itemCounter))),
      m_type(saMaxAreaNumber), m_quarantine(1), m_repair(0), m_ignore(0), m_known(0),
      m_rootKey(0), m_valueType(0)
{
}

HRESULT CSearchItem::put_ID(ULONG id) { m_id = id; return S_OK; }
HRESULT CSearchItem::get_ID(ULONG* id)
{
    if (!id) return E_POINTER;
    *id = m_id;
    return S_OK;
}

HRESULT CSearchItem::put_Type(ScanAreaType type)
{
    m_type = type;
    m_quarantine = 1;
    m_valueType = 0;
    m_itemName.Empty();
    m_itemValue.Empty();
    m_valueData.clear();
    m_goodValue.clear();
    return S_OK;
}

HRESULT CSearchItem::get_Type(ScanAreaType* type)
{
    if (!type) return E_POINTER;
    *type = m_type;
    return S_OK;
}

HRESULT CSearchItem::get_Quarantine(LONG* value) { if (!value) return E_POINTER; *value = m_quarantine; return S_OK; }
HRESULT CSearchItem::put_Quarantine(LONG value) { m_quarantine = value; return S_OK; }
HRESULT CSearchItem::get_Repair(LONG* value) { if (!value) return E_POINTER; *value = m_repair; return S_OK; }
HRESULT CSearchItem::put_Repair(LONG value) { m_repair = value; return S_OK; }
HRESULT CSearchItem::get_Ignore(LONG* value) { if (!value) return E_POINTER; *value = m_ignore; return S_OK; }
HRESULT CSearchItem::put_Ignore(LONG value) { m_ignore = value; return S_OK; }
HRESULT CSearchItem::get_Known(LONG* value) { if (!value) return E_POINTER; *value = m_known; return S_OK; }
HRESULT CSearchItem::put_Known(LONG value) { m_known = value; return S_OK; }

// Root keys are 32-bit values; on 64-bit Windows the predefined handles are
// their sign extension, which is what the getter gives back.
HRESULT CSearchItem::put_RootKey(LONG_PTR rootKey)
{
    m_rootKey = static_cast<DWORD>(rootKey);
    return S_OK;
}

HRESULT CSearchItem::get_RootKey(LONG_PTR* rootKey)
{
    if (!rootKey) return E_POINTER;
    *rootKey = static_cast<LONG_PTR>(static_cast<LONG>(m_rootKey));
    return S_OK;
}

HRESULT CSearchItem::get_DisplayName(BSTR* name)
{
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!IsRegistryType(m_type))
        return CopyBstrOut(m_itemName, name);

    const wchar_t* item = m_itemName.m_str ? m_itemName.m_str : L"";
    CComBSTR text;
    switch (m_rootKey)
    {
    case kRootClassesRoot: text = L"[HKEY_CLASSES_ROOT\\"; text += item; break;
    case kRootCurrentUser: text = L"[HKEY_CURRENT_USER\\"; text += item; break;
    case kRootLocalMachine: text = L"[HKEY_LOCAL_MACHINE\\"; text += item; break;
    case kRootUsers:
    {
        // Another account's keys show as current-user keys: drop its SID.
        const wchar_t* slash = wcschr(item, L'\\');
        text = L"[HKEY_CURRENT_USER";
        text += slash ? slash : item;
        break;
    }
    default: text = L""; break;
    }
    text += L"]";
    *name = text.Detach();
    return S_OK;
}

HRESULT CSearchItem::put_ItemName(BSTR name) { return CopyBstrUpToNul(name, m_itemName); }
HRESULT CSearchItem::get_ItemName(BSTR* name) { return CopyBstrOut(m_itemName, name); }
HRESULT CSearchItem::put_ItemValue(BSTR value) { return CopyBstrUpToNul(value, m_itemValue); }
HRESULT CSearchItem::get_ItemValue(BSTR* value) { return CopyBstrOut(m_itemValue, value); }
HRESULT CSearchItem::put_ValueType(ULONG type) { m_valueType = type; return S_OK; }
HRESULT CSearchItem::get_ValueType(ULONG* type) { if (!type) return E_POINTER; *type = m_valueType; return S_OK; }

// The data becomes `size` bytes: those the array holds, zeros after when it
// holds fewer. An array that cannot be read leaves the data as it was.
HRESULT CSearchItem::SetBytes(std::vector<BYTE>& target, ULONG size, SAFEARRAY** bytes)
{
    if (size == 0)
    {
        target.clear();
        return S_OK;
    }
    if (!bytes || !*bytes)
        return E_POINTER;
    SAFEARRAY* array = *bytes;
    ULONGLONG available = SafeArrayGetElemsize(array);
    for (UINT d = 0; d < SafeArrayGetDim(array); ++d)
        available *= array->rgsabound[d].cElements;
    void* data = nullptr;
    HRESULT hr = SafeArrayAccessData(array, &data);
    if (FAILED(hr))
        return hr;
    std::vector<BYTE> copy(size, 0);
    size_t n = available < size ? static_cast<size_t>(available) : size;
    if (n)
        memcpy(copy.data(), data, n);
    SafeArrayUnaccessData(array);
    target.swap(copy);
    return S_OK;
}

HRESULT CSearchItem::GetBytes(const std::vector<BYTE>& source, SAFEARRAY** bytes, ULONG* realSize)
{
    if (!realSize)
        return E_POINTER;
    *realSize = static_cast<ULONG>(source.size());
    if (!bytes || !*bytes)
        return S_OK;
    for (size_t i = 0; i < source.size(); ++i)
    {
        LONG index = static_cast<LONG>(i);
        BYTE b = source[i];
        HRESULT hr = SafeArrayPutElement(*bytes, &index, &b);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CSearchItem::SetValueData(ULONG size, SAFEARRAY** bytes) { return SetBytes(m_valueData, size, bytes); }
HRESULT CSearchItem::GetValueData(ULONG, SAFEARRAY** bytes, ULONG* realSize) { return GetBytes(m_valueData, bytes, realSize); }
HRESULT CSearchItem::SetGoodValue(ULONG size, SAFEARRAY** bytes) { return SetBytes(m_goodValue, size, bytes); }
HRESULT CSearchItem::GetGoodValue(ULONG, SAFEARRAY** bytes, ULONG* realSize) { return GetBytes(m_goodValue, bytes, realSize); }

HRESULT CSearchItem::IsEqual(ISearchItem* other)
{
    if (!other)
        return E_POINTER;
    ScanAreaType type;
    HRESULT hr = other->get_Type(&type);
    if (FAILED(hr)) return hr;
    if (type != m_type)
        return S_FALSE;

    CComBSTR name, value;
    hr = other->get_ItemName(&name);
    if (FAILED(hr)) return hr;
    hr = other->get_ItemValue(&value);
    if (FAILED(hr)) return hr;
    if (name.Length() != m_itemName.Length() || value.Length() != m_itemValue.Length())
        return S_FALSE;
    if (m_itemName.Length() && wcscmp(m_itemName, name) != 0)
        return S_FALSE;
    if (m_itemValue.Length() && wcscmp(m_itemValue, value) != 0)
        return S_FALSE;

    if (!IsRegistryType(m_type))
        return S_OK;

    LONG_PTR rootKey = 0;
    hr = other->get_RootKey(&rootKey);
    if (FAILED(hr)) return hr;
    ULONG valueType = 0;
    hr = other->get_ValueType(&valueType);
    if (FAILED(hr)) return hr;
    if (static_cast<DWORD>(rootKey) != m_rootKey || valueType != m_valueType)
        return S_FALSE;

    // A null array pointer asks for the length only; it also crosses
    // apartments safely, unlike a pointer to a null array.
    ULONG length = 0;
    hr = other->GetValueData(0, nullptr, &length);
    if (FAILED(hr)) return hr;
    if (length != m_valueData.size())
        return S_FALSE;
    if (length == 0)
        return S_OK;

    SAFEARRAYBOUND bound = {length, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (!array)
        return S_FALSE;
    ULONG real = 0;
    hr = other->GetValueData(length, &array, &real);
    if (FAILED(hr))
    {
        SafeArrayDestroy(array);
        return hr;
    }
    void* data = nullptr;
    HRESULT result = S_FALSE;
    if (array && SUCCEEDED(SafeArrayAccessData(array, &data)))
    {
        if (real == length && array->rgsabound[0].cElements >= length &&
            memcmp(data, m_valueData.data(), length) == 0)
            result = S_OK;
        SafeArrayUnaccessData(array);
    }
    SafeArrayDestroy(array);
    return result;
}

HRESULT CSearchItem::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_SearchItem;
    return S_OK;
}

HRESULT CSearchItem::IsDirty()
{
    return S_OK;
}

HRESULT CSearchItem::Load(IStream* stream)
{
    if (!stream)
        return E_INVALIDARG;
    DWORD value = 0;
    HRESULT hr = ReadStreamU32(stream, &value);
    if (FAILED(hr)) return hr;
    m_type = static_cast<ScanAreaType>(value);
    hr = ReadStreamString(stream, &m_itemName);
    if (FAILED(hr)) return hr;
    hr = ReadStreamString(stream, &m_itemValue);
    if (FAILED(hr)) return hr;
    hr = ReadStreamU32(stream, &m_rootKey);
    if (FAILED(hr)) return hr;
    hr = ReadStreamU32(stream, &m_valueType);
    if (FAILED(hr)) return hr;
    DWORD size = 0;
    hr = ReadStreamU32(stream, &size);
    if (FAILED(hr)) return hr;
    if (size > 0)
        return ReadStreamBytes(stream, m_valueData, size);
    return S_OK;
}

HRESULT CSearchItem::Save(IStream* stream, BOOL)
{
    if (!stream)
        return E_INVALIDARG;
    HRESULT hr = WriteStreamU32(stream, static_cast<DWORD>(m_type));
    if (SUCCEEDED(hr)) hr = WriteStreamString(stream, m_itemName);
    if (SUCCEEDED(hr)) hr = WriteStreamString(stream, m_itemValue);
    if (SUCCEEDED(hr)) hr = WriteStreamU32(stream, m_rootKey);
    if (SUCCEEDED(hr)) hr = WriteStreamU32(stream, m_valueType);
    if (SUCCEEDED(hr)) hr = WriteStreamU32(stream, static_cast<DWORD>(m_valueData.size()));
    if (SUCCEEDED(hr)) hr = WriteStreamBytes(stream, m_valueData.data(), static_cast<DWORD>(m_valueData.size()));
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CSearchItem::GetSizeMax(ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}
