#pragma once
// IgnoreList: the programs and objects the user chose to ignore, kept as a
// threat collection and stored in "ilist.lst", a record container without
// key with one block per threat (block id = low 16 bits of the threat's ID):
// a threat record (risk, name, description, URL) and one record per item.

#include <vector>

#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"

class CIgnoreList : public CComObjectRootEx<CComSingleThreadModel>,
                    public CComCoClass<CIgnoreList, &CLSID_IgnoreList>,
                    public IIgnoreList,
                    public IPersistStream
{
public:
    BEGIN_COM_MAP(CIgnoreList)
        COM_INTERFACE_ENTRY(IIgnoreList)
        COM_INTERFACE_ENTRY(IPersistStream)
    END_COM_MAP()

    HRESULT FinalConstruct();
    void FinalRelease();

    // IIgnoreList
    HRESULT STDMETHODCALLTYPE put_Items(IThreatCollection* items) override;
    HRESULT STDMETHODCALLTYPE get_Items(IThreatCollection** items) override;
    HRESULT STDMETHODCALLTYPE CheckProgram(ULONG programID, INT* index) override;
    HRESULT STDMETHODCALLTYPE CheckSearchItem(ULONG programID, ISearchItem* item, INT* index) override;
    HRESULT STDMETHODCALLTYPE Save(BSTR fileName) override;
    HRESULT STDMETHODCALLTYPE Load(BSTR fileName) override;
    HRESULT STDMETHODCALLTYPE Feed(IThreatCollection* collection) override;

    // IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

    // A new ignore list holding a copy of this one's threats and items (made
    // through the collection stream), for a reader on another thread.
    HRESULT Snapshot(IIgnoreList** copy);

private:
    HRESULT WriteFile(const char* path);
    HRESULT ReadFile(const char* path);

    CComPtr<IThreatCollection> m_items;
};

// The bytes of an item's value data (GetValueData asked twice): S_OK, S_FALSE
// when the byte array cannot be made or read, or the item's failure.
HRESULT ReadValueData(ISearchItem* item, std::vector<BYTE>& bytes);
