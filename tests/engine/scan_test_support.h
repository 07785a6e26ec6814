#pragma once
// Helpers of the engine tests: small signature databases written with the
// record container, a recording listener, captured engine messages, planted
// registry keys.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/enginelogtext.h"
#include "engine/internalscanner.h"
#include "foundation/byteorder.h"
#include "foundation/md5.h"
#include "foundation/packfile.h"
#include "tests/foundation/temp_folder.h"

typedef std::vector<BYTE> Bytes;

inline Bytes B(const char* text)
{
    return Bytes(text, text + strlen(text));
}

inline Bytes Bz(const char* text)
{
    return Bytes(text, text + strlen(text) + 1);
}

// Test paths are plain ASCII.
inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

inline Bytes Md5Of(const Bytes& data)
{
    MD5_CTX ctx;
    Bytes digest(16);
    MD5Init(&ctx);
    if (!data.empty())
        MD5Update(&ctx, data.data(), (DWORD)data.size());
    MD5Final(digest.data(), &ctx);
    return digest;
}

// One record as its fields; an empty optional field is absent.
struct TestRecord
{
    std::vector<Bytes> fields;
};

class TestDatabase
{
public:
    enum { SecPrograms = 1, SecRegistry = 17, SecGuarded = 18, SecFiles = 33, SecCookies = 49, SecHosts = 65, SecDigests = 81 };

    void Program(DWORD risk, const char* name, const char* description = "", const char* url = "")
    {
        Bytes f0(4);
        StoreLE32(f0.data(), risk);
        Add(SecPrograms, {f0, Bz(name), Bz(description), Bz(url)});
    }
    void Registry(WORD flags, DWORD root, DWORD program, const char* key, const char* value = NULL,
                  const Bytes& data = Bytes(), bool field3 = false)
    {
        Bytes f0(10);
        StoreLE16(f0.data(), flags);
        StoreLE32(f0.data() + 2, root);
        StoreLE32(f0.data() + 6, program);
        Add(SecRegistry, {f0, Bz(key), value ? Bz(value) : Bytes(), field3 ? Bz("x") : Bytes(), data});
    }
    void Guard(DWORD root, DWORD program, DWORD type, WORD absent, const char* key, const char* value,
               const Bytes& good)
    {
        Bytes f0(14);
        StoreLE32(f0.data(), root);
        StoreLE32(f0.data() + 4, program);
        StoreLE32(f0.data() + 8, type);
        StoreLE16(f0.data() + 12, absent);
        Add(SecGuarded, {f0, Bz(key), Bz(value), good});
    }
    void File(WORD detectable, WORD location, DWORD program, DWORD size, const char* name,
              const Bytes& digest = Bytes(), const Bytes& content = Bytes())
    {
        Bytes f0(28, 0);
        StoreLE16(f0.data(), detectable);
        StoreLE16(f0.data() + 2, location);
        StoreLE32(f0.data() + 4, program);
        StoreLE32(f0.data() + 8, size);
        if (digest.size() == 16)
            std::copy(digest.begin(), digest.end(), f0.begin() + 12);
        Add(SecFiles, {f0, Bz(name), content});
    }
    void Cookie(DWORD program, const char* pattern)
    {
        Bytes f0(4);
        StoreLE32(f0.data(), program);
        Add(SecCookies, {f0, Bz(pattern)});
    }
    void Host(DWORD program, BYTE a, BYTE b, BYTE c, BYTE d, const char* name)
    {
        Bytes f0 = {0, 0, 0, 0, a, b, c, d};
        StoreLE32(f0.data(), program);
        Add(SecHosts, {f0, Bz(name)});
    }
    void Digest(DWORD program, const Bytes& md5)
    {
        Bytes f0(4);
        StoreLE32(f0.data(), program);
        f0.insert(f0.end(), md5.begin(), md5.end());
        Add(SecDigests, {f0});
    }
    // Every section gets a placeholder record unless told to leave it out or
    // it already has records, so a database opens by default.
    void Omit(WORD id) { m_omit.push_back(id); }

    bool Write(const std::string& path, const wchar_t* keyText = L"")
    {
        static const WORD kIds[] = {SecPrograms, SecRegistry, SecGuarded, SecFiles, SecCookies, SecHosts, SecDigests};
        BYTE key[CInternalScanner::KeyLength];
        CInternalScanner::MakeKey(keyText, key);
        DeleteFileA(path.c_str());
        CPackFile file;
        if (!file.Open(path.c_str(), 1, sizeof(key), key))
            return false;
        for (WORD id : kIds)
        {
            if (std::find(m_omit.begin(), m_omit.end(), id) != m_omit.end())
                continue;
            std::vector<TestRecord> records = m_records[Index(id)];
            if (records.empty())
                records.push_back(Placeholder(id));
            if (id == SecDigests)
                std::stable_sort(records.begin(), records.end(), [](const TestRecord& a, const TestRecord& b) {
                    return memcmp(a.fields[0].data() + 4, b.fields[0].data() + 4, 16) < 0;
                });
            CPackBlock& block = file.CreateBlock(id);
            for (const TestRecord& r : records)
            {
                CPackedRecordBuffer buffer;
                buffer->SetEntryCount((int)r.fields.size());
                for (size_t i = 0; i < r.fields.size(); ++i)
                    if (!r.fields[i].empty())
                        buffer->SetEntry((int)i, r.fields[i].data(), (int)r.fields[i].size());
                if (!block.AddRecord(buffer.GetPtr()))
                    return false;
            }
        }
        return file.Close();
    }

private:
    static int Index(WORD id) { return id == 1 ? 0 : id == 17 ? 1 : id == 18 ? 2 : id == 33 ? 3 : id == 49 ? 4 : id == 65 ? 5 : 6; }
    void Add(WORD id, std::vector<Bytes> fields) { m_records[Index(id)].push_back(TestRecord{fields}); }
    static TestRecord Placeholder(WORD id)
    {
        // Records that can never match anything on a machine.
        const DWORD none = 60000;
        Bytes f0;
        switch (id)
        {
        case SecPrograms: f0.assign(4, 0); return TestRecord{{f0, Bz("placeholder")}};
        case SecRegistry: f0.assign(10, 0); StoreLE32(f0.data() + 6, none); return TestRecord{{f0, Bz("Software\\CwNoSuchKey\\x")}};
        case SecGuarded: f0.assign(14, 0); StoreLE32(f0.data(), 0x80000001); StoreLE32(f0.data() + 4, none); return TestRecord{{f0, Bz("Software\\CwNoSuchKey\\y"), Bz("v"), Bz("g")}};
        case SecFiles: f0.assign(28, 0); StoreLE32(f0.data() + 4, none); return TestRecord{{f0, Bz("cw-no-such-file.none")}};
        case SecCookies: f0.assign(4, 0); StoreLE32(f0.data(), none); return TestRecord{{f0, Bz("cw-no-such-cookie-*.none")}};
        case SecHosts: f0 = {0, 0, 0, 0, 203, 0, 113, 254}; StoreLE32(f0.data(), none); return TestRecord{{f0, Bz("cw-no-such-host.invalid")}};
        default: f0.assign(20, 0xFF); StoreLE32(f0.data(), none); return TestRecord{{f0}};
        }
    }

    std::vector<TestRecord> m_records[7];
    std::vector<WORD> m_omit;
};

struct ScanEvent
{
    std::string kind;
    int area;
    DWORD program;
    std::string name, value;
    bool hasValue;
    DWORD type;
    Bytes data;
    DWORD root;
    BYTE known;
    std::string extra;
};

class RecordingListener : public IInternalScannerListener
{
public:
    std::vector<ScanEvent> events;
    // Called after each event is recorded; lets a test stop or pause a scan.
    std::function<void(const ScanEvent&)> onEvent;

    void OnItemFound(int area, DWORD program, const char* name, const char* value, DWORD type, DWORD size,
                     const BYTE* data, DWORD root, BYTE known, const char* extra) override
    {
        ScanEvent e{"item", area, program, name ? name : "", value ? value : "", value != NULL, type,
                    data ? Bytes(data, data + size) : Bytes(), root, known, extra ? extra : ""};
        Push(e);
    }
    void OnAccessError(int area, const char* path, DWORD) override { Push(Simple("error", area, path)); }
    void OnStartedArea(int area) override { Push(Simple("start", area)); }
    void OnCompleteArea(int area) override { Push(Simple("complete", area)); }
    void OnScanningFolder(const char* folder) override { Push(Simple("folder", -1, folder)); }
    void OnScanning(int area, DWORD count) override
    {
        ScanEvent e = Simple("scanning", area);
        e.program = count;
        Push(e);
    }

    // "S0 C0 S1 ..." of the area starts and completions.
    std::string Areas() const
    {
        std::string out;
        for (const ScanEvent& e : events)
            if (e.kind == "start" || e.kind == "complete")
                out += (out.empty() ? "" : " ") + std::string(e.kind == "start" ? "S" : "C") + std::to_string(e.area);
        return out;
    }
    std::vector<ScanEvent> Items(int area = -1) const
    {
        std::vector<ScanEvent> out;
        for (const ScanEvent& e : events)
            if (e.kind == "item" && (area < 0 || e.area == area))
                out.push_back(e);
        return out;
    }
    // Items whose name contains the text (case-insensitive).
    std::vector<ScanEvent> ItemsNamed(const std::string& part, int area = -1) const
    {
        std::vector<ScanEvent> out;
        for (const ScanEvent& e : Items(area))
            if (Lower(e.name).find(Lower(part)) != std::string::npos)
                out.push_back(e);
        return out;
    }
    DWORD LastScanning(int area) const
    {
        DWORD last = 0xFFFFFFFF;
        for (const ScanEvent& e : events)
            if (e.kind == "scanning" && e.area == area)
                last = e.program;
        return last;
    }
    static std::string Lower(std::string s)
    {
        for (char& c : s)
            c = (char)tolower((unsigned char)c);
        return s;
    }

private:
    static ScanEvent Simple(const char* kind, int area, const char* name = NULL)
    {
        return ScanEvent{kind, area, 0, name ? name : "", "", false, 0, Bytes(), 0, 0, ""};
    }
    void Push(const ScanEvent& e)
    {
        events.push_back(e);
        if (onEvent)
            onEvent(e);
    }
};

// Engine messages of the scanner, as the engine's message text holds them.
class MessageCapture
{
public:
    MessageCapture() { CEngineLogText.Empty(); }
    ~MessageCapture() { CEngineLogText.Empty(); }
    static std::string Text() { return std::string(CEngineLogText.Get()); }
    bool Has(const std::string& message) const
    {
        return Text().find(message + " (engine/internalscanner [") != std::string::npos;
    }
};

// A registry key unique to one test, under HKEY_CURRENT_USER\Software (or a
// given root), removed with its subkeys at the end.
class PlantedKey
{
public:
    explicit PlantedKey(const char* tag, HKEY root = HKEY_CURRENT_USER) : m_root(root)
    {
        static LONG counter;
        char name[128];
        wsprintfA(name, "Software\\CwScanTest-%s-%lu-%ld", tag, GetCurrentProcessId(), InterlockedIncrement(&counter));
        m_path = name;
        RegDeleteTreeA(m_root, m_path.c_str());
    }
    ~PlantedKey() { RegDeleteTreeA(m_root, m_path.c_str()); }
    const std::string& Path() const { return m_path; }
    std::string Sub(const char* sub) const { return m_path + "\\" + sub; }

    bool Set(const std::string& sub, const char* value, DWORD type, const Bytes& data) const
    {
        HKEY key;
        if (RegCreateKeyExA(m_root, sub.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
            return false;
        const LONG rc = RegSetValueExA(key, value, 0, type, data.data(), (DWORD)data.size());
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }
    bool SetString(const std::string& sub, const char* value, const char* text) const
    {
        return Set(sub, value, REG_SZ, Bz(text));
    }
    bool SetDword(const std::string& sub, const char* value, DWORD number) const
    {
        Bytes b(4);
        StoreLE32(b.data(), number);
        return Set(sub, value, REG_DWORD, b);
    }
    bool Create(const std::string& sub) const
    {
        HKEY key;
        if (RegCreateKeyExA(m_root, sub.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

private:
    HKEY m_root;
    std::string m_path;
};

// A scanner over one test database with only the given areas switched on.
class TestScan
{
public:
    explicit TestScan(std::initializer_list<int> areas)
    {
        for (int a = 0; a < 7; ++a)
            scanner.SetAreaEnabled(a, false);
        for (int a : areas)
            scanner.SetAreaEnabled(a, true);
        scanner.AddListener(&listener);
        scanner.PrepareUserContext(false);
    }
    bool Run(const std::string& db) { return scanner.StartScan(db.c_str()); }

    CInternalScanner scanner;
    RecordingListener listener;
};
