#include "engine/ignorelist.h"

#include <string.h>

#include <string>

#include "engine/comhelpers.h"
#include "engine/engineobjects.h"
#include "foundation/byteorder.h"
#include "foundation/packfile.h"

namespace {

enum { ThreatFieldCount = 4, ItemFieldCount = 7 };

bool HasBlock(const CPackFile& file, WORD id)
{
    for (int i = 0; i < file.GetBlockCount(); ++i)
        if (static_cast<WORD>(file.GetBlockId(i)) == id)
            return true;
    return false;
}

bool SetU32(CPackedRecord& record, int field, DWORD value)
{
    BYTE bytes[4];
    StoreLE32(bytes, value);
    return record.SetEntry(field, bytes, 4);
}

// A fixed-size field; false when it is absent or too short.
bool GetU32(const CPackedRecord& record, int field, DWORD* value)
{
    const BYTE* data = record.GetEntry(field);
    if (!data || record.GetEntryLength(field) < 4)
        return false;
    *value = LoadLE32(data);
    return true;
}

// A text field as ANSI up to its NUL (or its end, when a damaged field has
// none); absent gives a null text.
CComBSTR GetText(const CPackedRecord& record, int field)
{
    const BYTE* data = record.GetEntry(field);
    if (!data)
        return CComBSTR();
    const int length = record.GetEntryLength(field);
    const void* nul = memchr(data, 0, static_cast<size_t>(length));
    const size_t used = nul ? static_cast<size_t>(static_cast<const BYTE*>(nul) - data) : static_cast<size_t>(length);
    std::string text(reinterpret_cast<const char*>(data), used);
    return CComBSTR(text.c_str());
}

std::string FolderOf(const char* path)
{
    std::string folder(path);
    const size_t slash = folder.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return folder.substr(0, 1);
    return folder.substr(0, slash);
}

} // namespace

HRESULT ReadValueData(ISearchItem* item, std::vector<BYTE>& bytes)
{
    bytes.clear();
    SAFEARRAY* none = nullptr;
    ULONG length = 0;
    HRESULT hr = item->GetValueData(0, &none, &length);
    if (FAILED(hr))
        return hr;
    if (length == 0)
        return S_OK;
    SAFEARRAYBOUND bound = {length, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (!array)
        return S_FALSE;
    ULONG real = 0;
    hr = item->GetValueData(length, &array, &real);
    if (FAILED(hr))
    {
        DestroySafeArray(&array);
        return hr;
    }
    void* data = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array, &data)))
    {
        if (array)
            DestroySafeArray(&array);
        return S_FALSE;
    }
    const ULONG elements = array->rgsabound[0].cElements;
    bytes.assign(static_cast<BYTE*>(data), static_cast<BYTE*>(data) + (elements < length ? elements : length));
    SafeArrayUnaccessData(array);
    DestroySafeArray(&array);
    return S_OK;
}

HRESULT CIgnoreList::FinalConstruct()
{
    return EngineCreateInstance(CLSID_ThreatCollection, &m_items);
}

void CIgnoreList::FinalRelease()
{
    if (m_items)
        m_items->Clear();
    m_items = nullptr;
}

HRESULT CIgnoreList::put_Items(IThreatCollection* items)
{
    m_items = items;
    return S_OK;
}

HRESULT CIgnoreList::get_Items(IThreatCollection** items)
{
    if (!items)
        return E_POINTER;
    *items = nullptr;
    if (!m_items)
        return E_UNEXPECTED;
    return m_items->QueryInterface(IID_IThreatCollection, reinterpret_cast<void**>(items));
}

HRESULT CIgnoreList::CheckProgram(ULONG programID, INT* index)
{
    if (!index)
        return E_POINTER;
    if (!m_items)
        return E_UNEXPECTED;
    CComPtr<IThreat> found;
    HRESULT hr = m_items->Lookup(programID, &found);
    if (FAILED(hr))
        return hr;
    LONG count = 0;
    hr = m_items->get_Count(&count);
    if (FAILED(hr))
        return hr;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        hr = m_items->get_Item(i, &threat);
        if (FAILED(hr))
            return hr;
        if (threat.p == found.p)
        {
            *index = i;
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CIgnoreList::CheckSearchItem(ULONG programID, ISearchItem* item, INT* index)
{
    if (!m_items)
        return S_FALSE;
    CComPtr<IThreat> threat;
    m_items->Lookup(programID, &threat);
    if (!threat)
        return S_FALSE;
    ULONG found = 0xFFFFFFFF;
    HRESULT hr = threat->FindItem(item, &found);
    if (index && SUCCEEDED(hr))
        *index = static_cast<INT>(found);
    return hr;
}

HRESULT CIgnoreList::Save(BSTR fileName)
{
    if (!fileName || !*fileName)
        return E_FAIL;
    if (!m_items)
        return E_UNEXPECTED;
    std::string target = static_cast<LPSTR>(CW2A(fileName));
    // The user's list is replaced only by a complete new file written beside it.
    char temp[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(target.c_str()).c_str(), "ils", 0, temp))
        return E_FAIL;
    DeleteFileA(temp);
    HRESULT hr = WriteFile(temp);
    if (hr != S_OK)
    {
        DeleteFileA(temp);
        return hr;
    }
    if (!MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileA(temp);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CIgnoreList::WriteFile(const char* path)
{
    CPackFile file;
    if (!file.Open(path, 1, 0, nullptr))
        return E_FAIL;
    LONG threats = 0;
    HRESULT hr = m_items->get_Count(&threats);
    for (LONG t = 0; SUCCEEDED(hr) && t < threats; ++t)
    {
        CComPtr<IThreat> threat;
        ULONG id = 0, risk = 0;
        CComBSTR name, description, url;
        if (FAILED(hr = m_items->get_Item(t, &threat)) || FAILED(hr = threat->get_ID(&id)) ||
            FAILED(hr = threat->get_Name(&name)) || FAILED(hr = threat->get_Description(&description)) ||
            FAILED(hr = threat->get_URL(&url)) || FAILED(hr = threat->get_Risk(&risk)))
            break;

        // Two threats whose IDs share the low 16 bits share the block: the
        // later one's items go after the earlier one's, so none is lost.
        const WORD blockId = static_cast<WORD>(id & 0xFFFF);
        const bool shared = HasBlock(file, blockId);
        CPackBlock* block = nullptr;
        if (shared)
            block = &file.GetBlock(blockId);
        else
        {
            const int before = file.GetBlockCount();
            block = &file.CreateBlock(blockId);
            if (file.GetBlockCount() != before + 1)
            {
                hr = E_FAIL;
                break;
            }
            CPackedRecordBuffer record;
            if (!record->SetEntryCount(ThreatFieldCount) || !SetU32(record.Record(), 0, risk) ||
                !record->SetStringZ(1, CW2A(name)) || !record->SetStringZ(2, CW2A(description)) ||
                !record->SetStringZ(3, CW2A(url)) || !block->AddRecord(record.GetPtr()))
            {
                hr = E_FAIL;
                break;
            }
        }

        LONG items = 0;
        if (FAILED(hr = threat->get_Count(&items)))
            break;
        for (LONG i = 0; i < items; ++i)
        {
            CComPtr<ISearchItem> item;
            ULONG itemId = 0, valueType = 0;
            CComBSTR itemName, itemValue;
            LONG_PTR rootKey = 0;
            ScanAreaType type = saProcesses;
            if (FAILED(hr = threat->get_Item(i, &item)) || FAILED(hr = item->get_ID(&itemId)) ||
                FAILED(hr = item->get_ItemName(&itemName)) || FAILED(hr = item->get_ItemValue(&itemValue)) ||
                FAILED(hr = item->get_RootKey(&rootKey)) || FAILED(hr = item->get_Type(&type)) ||
                FAILED(hr = item->get_ValueType(&valueType)))
                break;
            std::vector<BYTE> data;
            if ((hr = ReadValueData(item, data)) != S_OK)
                break;
            CPackedRecordBuffer record;
            if (!record->SetEntryCount(ItemFieldCount) || !SetU32(record.Record(), 0, itemId) ||
                !SetU32(record.Record(), 1, static_cast<DWORD>(type)) ||
                !record->SetString(2, CW2A(itemName)) ||
                !SetU32(record.Record(), 3, static_cast<DWORD>(static_cast<ULONG_PTR>(rootKey))) ||
                !record->SetString(4, CW2A(itemValue)) ||
                (!data.empty() && !record->SetEntry(5, data.data(), static_cast<int>(data.size()))) ||
                !SetU32(record.Record(), 6, valueType) || !block->AddRecord(record.GetPtr()))
            {
                hr = E_FAIL;
                break;
            }
        }
        if (hr != S_OK)
            break;
        if (!file.Flush())
            hr = E_FAIL;
    }
    if (!file.Close() && hr == S_OK)
        hr = E_FAIL;
    return hr;
}

HRESULT CIgnoreList::Load(BSTR fileName)
{
    if (!fileName || !*fileName)
        return E_FAIL;
    if (!m_items)
        return E_UNEXPECTED;
    return ReadFile(CW2A(fileName));
}

HRESULT CIgnoreList::ReadFile(const char* path)
{
    CPackFile file;
    if (!file.Open(path, 0, 0, nullptr))
    {
        // The container of an empty list has nothing written in it.
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (GetFileAttributesExA(path, GetFileExInfoStandard, &info) &&
            !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nFileSizeLow == 0 && info.nFileSizeHigh == 0)
            return S_OK;
        return E_FAIL;
    }
    HRESULT hr = S_OK;
    try
    {
        for (int b = 0; hr == S_OK && b < file.GetBlockCount(); ++b)
        {
            const WORD blockId = static_cast<WORD>(file.GetBlockId(b));
            CPackBlock& block = file.LoadBlock(b);
            if (!block.GetData())
                continue;
            const int records = block.GetRecordCount();
            CPackedRecord record;
            DWORD risk = 0;
            // A block whose first record is no threat record holds nothing usable.
            if (records < 1 || !block.GetRecord(&record, 0) || !GetU32(record, 0, &risk))
                continue;
            CComPtr<IThreat> threat;
            if (FAILED(hr = EngineCreateInstance(CLSID_Threat, &threat)) ||
                FAILED(hr = threat->put_ID(blockId)) || FAILED(hr = threat->put_Name(GetText(record, 1))) ||
                FAILED(hr = threat->put_Description(GetText(record, 2))) ||
                FAILED(hr = threat->put_URL(GetText(record, 3))) || FAILED(hr = threat->put_Risk(risk)) ||
                FAILED(hr = m_items->Add(threat)))
                break;
            for (int r = 1; r < records; ++r)
            {
                DWORD itemId = 0, type = 0, rootKey = 0, valueType = 0;
                if (!block.GetRecord(&record, r) || !GetU32(record, 0, &itemId) || !GetU32(record, 1, &type) ||
                    !GetU32(record, 3, &rootKey) || !GetU32(record, 6, &valueType))
                    continue;   // not written by Save: nothing to read from it
                CComPtr<ISearchItem> item;
                if (FAILED(hr = EngineCreateInstance(CLSID_SearchItem, &item)) ||
                    FAILED(hr = item->put_Type(static_cast<ScanAreaType>(type))) ||
                    FAILED(hr = item->put_ID(itemId)) || FAILED(hr = item->put_ItemName(GetText(record, 2))) ||
                    FAILED(hr = item->put_ItemValue(GetText(record, 4))) ||
                    FAILED(hr = item->put_RootKey(static_cast<LONG_PTR>(static_cast<LONG>(rootKey)))) ||
                    FAILED(hr = item->put_ValueType(valueType)))
                    break;
                const BYTE* data = record.GetEntry(5);
                const DWORD length = data ? static_cast<DWORD>(record.GetEntryLength(5)) : 0;
                SAFEARRAY* array = CreateByteSafeArray(data, length);
                if (!array)
                {
                    hr = S_FALSE;
                    break;
                }
                hr = item->SetValueData(length, &array);
                DestroySafeArray(&array);
                if (FAILED(hr))
                    break;
                // An item equal to one the threat holds is a duplicate: skip it.
                hr = threat->Add(item);
                if (hr == E_INVALIDARG)
                    hr = S_OK;
                if (FAILED(hr))
                    break;
            }
            file.Flush();
        }
    }
    catch (const _com_error&)
    {
        hr = S_FALSE;   // the byte array could not be filled
    }
    file.Close();
    return hr;
}

HRESULT CIgnoreList::Feed(IThreatCollection* collection)
{
    if (!collection)
        return E_POINTER;
    if (!m_items)
        return E_UNEXPECTED;
    LONG threats = 0;
    HRESULT hr = collection->get_Count(&threats);
    if (FAILED(hr))
        return hr;
    for (LONG t = 0; t < threats; ++t)
    {
        CComPtr<IThreat> threat;
        LONG items = 0;
        if (FAILED(hr = collection->get_Item(t, &threat)) || FAILED(hr = threat->get_Count(&items)))
            return hr;
        for (LONG i = 0; i < items; ++i)
        {
            CComPtr<ISearchItem> item;
            LONG ignore = 0;
            ULONG id = 0;
            if (FAILED(hr = threat->get_Item(i, &item)) || FAILED(hr = item->get_Ignore(&ignore)) ||
                FAILED(hr = threat->get_ID(&id)))
                return hr;
            if (!ignore)
                continue;
            CComPtr<IThreat> ignored;
            m_items->Lookup(id, &ignored);
            if (!ignored)
            {
                CComBSTR name, description, url;
                ULONG risk = 0;
                if (FAILED(hr = collection->CreateElement(CLSID_Threat, &ignored)) ||
                    FAILED(hr = ignored->put_ID(id)) || FAILED(hr = threat->get_Description(&description)) ||
                    FAILED(hr = ignored->put_Description(description)) || FAILED(hr = threat->get_Name(&name)) ||
                    FAILED(hr = ignored->put_Name(name)) || FAILED(hr = threat->get_URL(&url)) ||
                    FAILED(hr = ignored->put_URL(url)) || FAILED(hr = threat->get_Risk(&risk)) ||
                    FAILED(hr = ignored->put_Risk(risk)) || FAILED(hr = m_items->Add(ignored)))
                    return hr;
            }
            // An item already ignored stays as it is.
            ULONG index = 0;
            hr = ignored->FindItem(item, &index);
            if (FAILED(hr))
                return hr;
            if (hr == S_OK)
                continue;
            if (FAILED(hr = ignored->Add(item)))
                return hr;
        }
    }
    return S_OK;
}

HRESULT CIgnoreList::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_IgnoreList;
    return S_OK;
}

HRESULT CIgnoreList::IsDirty()
{
    CComQIPtr<IPersistStream> persist(m_items);
    return persist ? persist->IsDirty() : E_FAIL;
}

HRESULT CIgnoreList::Load(IStream* stream)
{
    CComQIPtr<IPersistStream> persist(m_items);
    return persist ? persist->Load(stream) : E_FAIL;
}

HRESULT CIgnoreList::Save(IStream* stream, BOOL clearDirty)
{
    CComQIPtr<IPersistStream> persist(m_items);
    return persist ? persist->Save(stream, clearDirty) : E_FAIL;
}

HRESULT CIgnoreList::GetSizeMax(ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}

HRESULT CIgnoreList::Snapshot(IIgnoreList** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    CComPtr<IIgnoreList> made;
    HRESULT hr = EngineCreateInstance(CLSID_IgnoreList, &made);
    if (FAILED(hr))
        return hr;
    if (m_items)
    {
        CComPtr<IStream> stream;
        if (FAILED(hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
            FAILED(hr = static_cast<IPersistStream*>(this)->Save(stream, FALSE)))
            return hr;
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        CComQIPtr<IPersistStream> persist(made);
        if (!persist)
            return E_FAIL;
        if (FAILED(hr = persist->Load(stream)))
            return hr;
    }
    *copy = made.p;
    made.p = nullptr;
    return S_OK;
}
