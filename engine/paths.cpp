#include "engine/paths.h"

#include "engine/searchitem.h"

HRESULT CPaths::get__NewEnum(IUnknown**)
{
    return E_NOTIMPL;
}

HRESULT CPaths::get_Item(INT index, BSTR* path)
{
    if (index < 0 || static_cast<size_t>(index) >= m_paths.size())
        return E_INVALIDARG;
    return CopyBstrOut(m_paths[static_cast<size_t>(index)], path);
}

HRESULT CPaths::get_Count(LONG* count)
{
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(m_paths.size());
    return S_OK;
}

HRESULT CPaths::Add(BSTR path)
{
    CComBSTR copy;
    HRESULT hr = CopyBstrUpToNul(path, copy);
    if (FAILED(hr))
        return hr;
    m_paths.push_back(std::move(copy));
    return S_OK;
}

HRESULT CPaths::Remove(INT index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_paths.size())
        return E_INVALIDARG;
    m_paths.erase(m_paths.begin() + index);
    return S_OK;
}

HRESULT CPaths::Clear()
{
    m_paths.clear();
    return S_OK;
}
