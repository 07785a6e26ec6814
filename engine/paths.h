#pragma once
// Paths: the ordered folder list of a custom disk scan.

#include <vector>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

class CPaths : public CComObjectRootEx<CComSingleThreadModel>,
               public CComCoClass<CPaths, &CLSID_Paths>,
               public IPaths
{
public:
    BEGIN_COM_MAP(CPaths)
        COM_INTERFACE_ENTRY(IPaths)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppUnk) override;
    HRESULT STDMETHODCALLTYPE get_Item(INT index, BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Add(BSTR path) override;
    HRESULT STDMETHODCALLTYPE Remove(INT index) override;
    HRESULT STDMETHODCALLTYPE Clear() override;

private:
    std::vector<CComBSTR> m_paths;
};
