#pragma once
// SearchItem: one detected object (process, registry key or value, file,
// hosts line, cookie) of a threat.

#include <vector>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

class CSearchItem : public CComObjectRootEx<CComSingleThreadModel>,
                    public CComCoClass<CSearchItem, &CLSID_SearchItem>,
                    public ISearchItem,
                    public IPersistStream
{
public:
    CSearchItem();

    BEGIN_COM_MAP(CSearchItem)
        COM_INTERFACE_ENTRY(ISearchItem)
        COM_INTERFACE_ENTRY(IPersistStream)
    END_COM_MAP()

    // ISearchItem
    HRESULT STDMETHODCALLTYPE put_ID(ULONG id) override;
    HRESULT STDMETHODCALLTYPE get_ID(ULONG* id) override;
    HRESULT STDMETHODCALLTYPE put_Type(ScanAreaType type) override;
    HRESULT STDMETHODCALLTYPE get_Type(ScanAreaType* type) override;
    HRESULT STDMETHODCALLTYPE get_Quarantine(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Quarantine(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Repair(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Repair(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Ignore(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Ignore(LONG value) override;
    HRESULT STDMETHODCALLTYPE put_RootKey(LONG_PTR rootKey) override;
    HRESULT STDMETHODCALLTYPE get_RootKey(LONG_PTR* rootKey) override;
    HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_ItemName(BSTR name) override;
    HRESULT STDMETHODCALLTYPE get_ItemName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE put_ItemValue(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ItemValue(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ValueType(ULONG type) override;
    HRESULT STDMETHODCALLTYPE get_ValueType(ULONG* type) override;
    HRESULT STDMETHODCALLTYPE SetValueData(ULONG size, SAFEARRAY** bytes) override;
    HRESULT STDMETHODCALLTYPE GetValueData(ULONG size, SAFEARRAY** bytes, ULONG* realSize) override;
    HRESULT STDMETHODCALLTYPE SetGoodValue(ULONG size, SAFEARRAY** bytes) override;
    HRESULT STDMETHODCALLTYPE GetGoodValue(ULONG size, SAFEARRAY** bytes, ULONG* realSize) override;
    HRESULT STDMETHODCALLTYPE IsEqual(ISearchItem* other) override;
    HRESULT STDMETHODCALLTYPE get_Known(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Known(LONG value) override;

    // IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

private:
    static HRESULT SetBytes(std::vector<BYTE>& target, ULONG size, SAFEARRAY** bytes);
    static HRESULT GetBytes(const std::vector<BYTE>& source, SAFEARRAY** bytes, ULONG* realSize);

    DWORD m_id;
    ScanAreaType m_type;
    LONG m_quarantine;
    LONG m_repair;
    LONG m_ignore;
    LONG m_known;
    DWORD m_rootKey;
    CComBSTR m_itemName;
    CComBSTR m_itemValue;
    DWORD m_valueType;
    std::vector<BYTE> m_valueData;
    std::vector<BYTE> m_goodValue;
};

// Copies of a BSTR as the engine's objects hand them out and take them in.
HRESULT CopyBstrUpToNul(BSTR text, CComBSTR& target);   // put: text up to its first NUL
HRESULT CopyBstrOut(BSTR text, BSTR* out);              // get: same byte length
