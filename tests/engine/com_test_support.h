#pragma once
// Shared pieces of the engine's COM object tests: an STA per test, memory
// streams, and a sink that records collection and threat events in order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engineobjects.h"
#include "engine/mothtrap.h"
#include "platform/atl/atlbase.h"
#include "platform/atl/atlcom.h"

class ComTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

inline CComPtr<IStream> NewStream()
{
    CComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    return stream;
}

inline CComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes)
{
    CComPtr<IStream> stream = NewStream();
    ULONG written = 0;
    if (!bytes.empty())
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

inline std::vector<BYTE> BytesOf(IStream* stream)
{
    STATSTG st = {};
    stream->Stat(&st, STATFLAG_NONAME);
    std::vector<BYTE> bytes(static_cast<size_t>(st.cbSize.QuadPart));
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    if (!bytes.empty())
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    return bytes;
}

inline ULONGLONG StreamPosition(IStream* stream)
{
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER pos = {};
    stream->Seek(zero, STREAM_SEEK_CUR, &pos);
    return pos.QuadPart;
}

inline void Rewind(IStream* stream)
{
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

inline std::string Narrow(BSTR text)
{
    if (!text)
        return "<null>";
    return std::string(static_cast<LPSTR>(CW2A(text)));
}

inline CComPtr<ISearchItem> NewItem(ScanAreaType type, const wchar_t* name, const wchar_t* value = nullptr)
{
    CComPtr<ISearchItem> item;
    EngineCreateInstance(CLSID_SearchItem, &item);
    item->put_Type(type);
    item->put_ItemName(CComBSTR(name));
    if (value)
        item->put_ItemValue(CComBSTR(value));
    return item;
}

inline CComPtr<IThreat> NewThreat(ULONG id, const wchar_t* name)
{
    CComPtr<IThreat> threat;
    EngineCreateInstance(CLSID_Threat, &threat);
    threat->put_ID(id);
    threat->put_Name(CComBSTR(name));
    return threat;
}

// The IDs of the collection's threats, in its order; none for a null one.
inline std::vector<ULONG> ThreatIds(IThreatCollection* items)
{
    std::vector<ULONG> ids;
    LONG count = 0;
    if (!items || FAILED(items->get_Count(&count)))
        return ids;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        ULONG id = 0;
        if (SUCCEEDED(items->get_Item(i, &threat)) && SUCCEEDED(threat->get_ID(&id)))
            ids.push_back(id);
    }
    return ids;
}

inline HRESULT SetData(ISearchItem* item, const std::vector<BYTE>& bytes)
{
    SAFEARRAYBOUND bound = {static_cast<ULONG>(bytes.size()), 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty())
        memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    HRESULT hr = item->SetValueData(static_cast<ULONG>(bytes.size()), &array);
    SafeArrayDestroy(array);
    return hr;
}

// Asks twice, as callers do: the length, then the bytes.
inline std::vector<BYTE> GetData(ISearchItem* item, bool good = false)
{
    ULONG length = 0;
    if (FAILED(good ? item->GetGoodValue(0, nullptr, &length) : item->GetValueData(0, nullptr, &length)))
        return {0xEE};
    SAFEARRAYBOUND bound = {length, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    ULONG real = 0;
    HRESULT hr = good ? item->GetGoodValue(length, &array, &real) : item->GetValueData(length, &array, &real);
    std::vector<BYTE> bytes(length);
    void* data = nullptr;
    if (SUCCEEDED(hr) && array && SUCCEEDED(SafeArrayAccessData(array, &data)))
    {
        if (length)
            memcpy(bytes.data(), data, length);
        SafeArrayUnaccessData(array);
    }
    SafeArrayDestroy(array);
    return bytes;
}

// Records every IThreatCollectionEvents and IThreatEvents call as text, with
// the thread it arrived on.
class CEventRecorder : public CComObjectRootEx<CComSingleThreadModel>,
                       public IThreatCollectionEvents,
                       public IThreatEvents
{
public:
    BEGIN_COM_MAP(CEventRecorder)
        COM_INTERFACE_ENTRY(IThreatCollectionEvents)
        COM_INTERFACE_ENTRY(IThreatEvents)
    END_COM_MAP()

    std::vector<std::string> events;
    std::vector<DWORD> threads;
    HRESULT answer = S_OK;

    static std::string NameOf(IThreat* threat)
    {
        CComBSTR name;
        if (!threat || FAILED(threat->get_Name(&name)))
            return "?";
        return Narrow(name);
    }
    static std::string NameOf(ISearchItem* item)
    {
        CComBSTR name;
        if (!item || FAILED(item->get_ItemName(&name)))
            return "?";
        return Narrow(name);
    }
    HRESULT Record(const std::string& text)
    {
        events.push_back(text);
        threads.push_back(GetCurrentThreadId());
        return answer;
    }

    HRESULT STDMETHODCALLTYPE OnItemAdded(IThreatCollection*, IThreat* t) override { return Record("Added " + NameOf(t)); }
    HRESULT STDMETHODCALLTYPE OnItemRemoved(IThreatCollection*, IThreat* t) override { return Record("Removed " + NameOf(t)); }
    HRESULT STDMETHODCALLTYPE OnItemUpdated(IThreatCollection*, IThreat* t) override { return Record("Updated " + NameOf(t)); }
    HRESULT STDMETHODCALLTYPE OnSubItemAdded(IThreatCollection*, IThreat* t, ISearchItem* i) override
    { return Record("SubAdded " + NameOf(t) + " " + NameOf(i)); }
    HRESULT STDMETHODCALLTYPE OnSubItemRemoved(IThreatCollection*, IThreat* t, ISearchItem* i) override
    { return Record("SubRemoved " + NameOf(t) + " " + NameOf(i)); }
    HRESULT STDMETHODCALLTYPE OnSubItemUpdated(IThreatCollection*, IThreat* t, ISearchItem* i) override
    { return Record("SubUpdated " + NameOf(t) + " " + NameOf(i)); }

    HRESULT STDMETHODCALLTYPE OnItemAdded(IThreat* t, ISearchItem* i) override { return Record("ItemAdded " + NameOf(t) + " " + NameOf(i)); }
    HRESULT STDMETHODCALLTYPE OnItemRemoved(IThreat* t, ISearchItem* i) override { return Record("ItemRemoved " + NameOf(t) + " " + NameOf(i)); }
    HRESULT STDMETHODCALLTYPE OnItemUpdated(IThreat* t, ISearchItem* i) override { return Record("ItemUpdated " + NameOf(t) + " " + NameOf(i)); }
};

inline CComObject<CEventRecorder>* NewRecorder(CComPtr<IUnknown>& holder)
{
    CComObject<CEventRecorder>* recorder = nullptr;
    CComObject<CEventRecorder>::CreateInstance(&recorder);
    holder = recorder->GetUnknown();
    return recorder;
}
