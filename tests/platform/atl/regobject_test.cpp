#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <map>
#include <set>
#include <string>

#include "platform/atl/regobject.h"

namespace {

bool KeyExistsIn(HKEY root, const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Scripts work under a key of this test process in HKCU; the fixture
// removes it.
class RegObjectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t name[96];
        wsprintfW(name, L"Cleanwarden Registrar Test %lu", GetCurrentProcessId());
        m_name = name;
        m_base = L"Software\\" + m_name;
        SHDeleteKeyW(HKEY_CURRENT_USER, m_base.c_str());
        m_registrar.AddReplacement(L"BASE", m_name.c_str());
    }

    // The script's keys under HKCU\Software (key names hold no backslash).
    static std::wstring Under(const wchar_t* keys)
    {
        return std::wstring(L"HKCU { NoRemove Software { ") + keys + L" } }";
    }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, m_base.c_str()); }

    std::wstring Path(const wchar_t* below) const { return *below ? m_base + L"\\" + below : m_base; }

    bool Exists(const wchar_t* below) const { return KeyExistsIn(HKEY_CURRENT_USER, Path(below).c_str()); }

    std::set<std::wstring> Subkeys(const wchar_t* below) const
    {
        std::set<std::wstring> names;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(below).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {L"<missing>"};
        wchar_t name[256];
        for (DWORD i = 0;; ++i)
        {
            DWORD size = 256;
            if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.insert(name);
        }
        RegCloseKey(key);
        return names;
    }

    // Every value as "type:text" (texts), "type:number" (DWORD) or "type:hex".
    std::map<std::wstring, std::wstring> Values(const wchar_t* below) const
    {
        std::map<std::wstring, std::wstring> values;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(below).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {{L"<missing>", L""}};
        wchar_t name[256];
        BYTE data[512];
        for (DWORD i = 0;; ++i)
        {
            DWORD nameSize = 256, size = sizeof(data), type = 0;
            if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &size) != ERROR_SUCCESS)
                break;
            std::wstring text = std::to_wstring(type) + L":";
            if (type == REG_SZ || type == REG_EXPAND_SZ)
                text += std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t) - 1);
            else if (type == REG_DWORD)
                text += std::to_wstring(*reinterpret_cast<DWORD*>(data));
            else
                for (DWORD b = 0; b < size; ++b)
                {
                    wchar_t hex[3];
                    wsprintfW(hex, L"%02x", data[b]);
                    text += hex;
                }
            values[name] = text;
        }
        RegCloseKey(key);
        return values;
    }

    void Plant(const wchar_t* below, DWORD options = 0)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, Path(below).c_str(), 0, nullptr, options,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(key);
    }

    void PlantValue(const wchar_t* below, const wchar_t* name)
    {
        Plant(below);
        DWORD one = 1;
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, Path(below).c_str(), name, REG_DWORD, &one,
                                                 sizeof(one)));
    }

    std::wstring m_name;
    std::wstring m_base;
    CRegObject m_registrar;
};

typedef std::map<std::wstring, std::wstring> ValueMap;
typedef std::set<std::wstring> NameSet;

const HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

} // namespace

TEST_F(RegObjectTest, RegistersKeysDefaultsAndTypedValues)
{
    m_registrar.AddReplacement(L"module", L"\"C:\\Program Files\\Telmin\\it's.exe\"");
    const std::wstring script = Under(
        L"\r\n"
        L"\tNoRemove '%BASE%'\r\n"
        L"\t{\r\n"
        L"\t\tApp.Name.1 = s 'A ''quoted'' name'\r\n"
        L"\t\t{\r\n"
        L"\t\t\tCLSID = s {123232CE-589E-45CA-B013-AF06C3BAB413}\r\n"
        L"\t\t}\r\n"
        L"\t\t'With Blank' = s '%MODULE%'\r\n"
        L"\t\tValues\r\n"
        L"\t\t{\r\n"
        L"\t\t\tval Text = s '100%% sure'\r\n"
        L"\t\t\tval Path = e '%%SystemRoot%%\\x'\r\n"
        L"\t\t\tval Count = d '42'\r\n"
        L"\t\t\tval Mask = d 0xFFFFFFFF\r\n"
        L"\t\t\tval Bytes = b '00aBff'\r\n"
        L"\t\t\tval Empty = s ''\r\n"
        L"\t\t}\r\n"
        L"\t}\r\n");
    ASSERT_EQ(S_OK, m_registrar.StringRegister(script.c_str())) << testing::PrintToString(m_registrar.GetErrorText());

    EXPECT_EQ((NameSet{L"App.Name.1", L"With Blank", L"Values"}), Subkeys(L""));
    EXPECT_EQ((ValueMap{{L"", L"1:A 'quoted' name"}}), Values(L"App.Name.1"));
    EXPECT_EQ((ValueMap{{L"", L"1:{123232CE-589E-45CA-B013-AF06C3BAB413}"}}), Values(L"App.Name.1\\CLSID"));
    EXPECT_EQ((ValueMap{{L"", L"1:\"C:\\Program Files\\Telmin\\it's.exe\""}}), Values(L"With Blank"));
    EXPECT_EQ((ValueMap{{L"Text", L"1:100% sure"},
                        {L"Path", L"2:%SystemRoot%\\x"},
                        {L"Count", L"4:42"},
                        {L"Mask", L"4:4294967295"},
                        {L"Bytes", L"3:00abff"},
                        {L"Empty", L"1:"}}),
              Values(L"Values"));
    EXPECT_EQ(NameSet{}, Subkeys(L"Values"));
    EXPECT_TRUE(KeyExistsIn(HKEY_CURRENT_USER, L"Software"));
}

TEST_F(RegObjectTest, UnregisteringHonoursNoRemoveAndForceRemove)
{
    const std::wstring script = Under(
        L"NoRemove '%BASE%' {\n"
        L"  Plain = s 'p' { Inner = s 'i' }\n"
        L"  Shared { Ours = s 'o' }\n"
        L"  NoRemove Kept { Gone = s 'g' }\n"
        L"  ForceRemove Whole = s 'w' { Known = s 'k' }\n"
        L"  NoRemove Holder { val Mine = s 'm'  NoRemove val Lasting = d 1 }\n"
        L"  Absent\n"
        L"}\n");
    ASSERT_EQ(S_OK, m_registrar.StringRegister(script.c_str())) << testing::PrintToString(m_registrar.GetErrorText());
    // What others put there meanwhile.
    Plant(L"Shared\\Foreign");
    Plant(L"Whole\\Foreign\\Deeper");
    PlantValue(L"Holder", L"Theirs");
    RegDeleteKeyW(HKEY_CURRENT_USER, Path(L"Absent").c_str());

    ASSERT_EQ(S_OK, m_registrar.StringUnregister(script.c_str()));
    EXPECT_FALSE(Exists(L"Plain"));
    EXPECT_EQ(NameSet{L"Foreign"}, Subkeys(L"Shared"));      // kept: not empty
    EXPECT_EQ(NameSet{}, Subkeys(L"Kept"));
    EXPECT_FALSE(Exists(L"Whole"));                            // with everything below
    EXPECT_EQ((ValueMap{{L"Lasting", L"4:1"}, {L"Theirs", L"4:1"}}), Values(L"Holder"));
    EXPECT_TRUE(KeyExistsIn(HKEY_CURRENT_USER, L"Software"));

    // Taking away twice is no failure.
    EXPECT_EQ(S_OK, m_registrar.StringUnregister(script.c_str()));
}

TEST_F(RegObjectTest, ForceRemoveReplacesAndDeleteRemovesOnRegistration)
{
    Plant(L"Fresh\\Stale");
    Plant(L"Doomed\\Child");
    Plant(L"Kept\\Child");
    const std::wstring script =
        Under(L"NoRemove '%BASE%' { ForceRemove Fresh = s 'new' { Sub } Delete Doomed Kept { Added } }");
    ASSERT_EQ(S_OK, m_registrar.StringRegister(script.c_str()));
    EXPECT_EQ(NameSet{L"Sub"}, Subkeys(L"Fresh"));
    EXPECT_EQ((ValueMap{{L"", L"1:new"}}), Values(L"Fresh"));
    EXPECT_FALSE(Exists(L"Doomed"));
    EXPECT_EQ((NameSet{L"Added", L"Child"}), Subkeys(L"Kept"));
}

TEST_F(RegObjectTest, AScriptWithAnErrorChangesNothingAndSaysWhere)
{
    const struct { std::wstring script; const wchar_t* where; } bad[] = {
        {Under(L"'%BASE%' { A = s 'x' }") + L"\nHKXX { }", L"line 2: unknown root key 'HKXX'"},
        {L"HKCU NoRemove", L"line 1: '{' expected before 'NoRemove'"},
        {Under(L"'%BASE%' = s 'open"), L"line 1: quoted text without its closing quote"},
        {Under(L"'%BASE%' = s '%NOPE%'"), L"line 1: no replacement for %NOPE%"},
        {Under(L"'%BASE%' = s '50%'"), L"line 1: '%' without its closing '%' in '50%'"},
        {Under(L"\n '%BASE%' = q 'x'"), L"line 2: unknown value type 'q' (s, e, d or b)"},
        {Under(L"'%BASE%' { val N = d 12x }"), L"line 1: '12x' is not a 32-bit number"},
        {Under(L"'%BASE%' { val N = d 4294967296 }"), L"line 1: '4294967296' is not a 32-bit number"},
        {Under(L"'%BASE%' { val B = b abc }"), L"line 1: binary data 'abc' has an odd number of digits"},
        {Under(L"'%BASE%' { val B = b zz }"), L"line 1: binary data 'zz' holds a character that is not a hex digit"},
        {Under(L"'%BASE%\\Deeper'"), L"line 1: a key name cannot hold '\\'"},
        {Under(L"'%BASE%' { ForceRemove val V = s 'x' }"), L"line 1: a value cannot be ForceRemove or Delete"},
        {Under(L"'%BASE%' { val = s 'x' }"), L"line 1: a name expected before '='"},
        {L"HKCU { NoRemove Software { '%BASE%' {\n Sub\n", L"line 2: '}' expected at the end of the script"},
        {L"HKCU { NoRemove Software { '%BASE%' = s", L"line 1: a value expected at the end of the script"},
    };
    for (const auto& b : bad)
    {
        const std::string shown = testing::PrintToString(b.script);
        EXPECT_EQ(kBadScript, m_registrar.StringRegister(b.script.c_str())) << shown;
        EXPECT_NE(std::wstring::npos, m_registrar.GetErrorText().find(b.where))
            << shown << " gave " << testing::PrintToString(m_registrar.GetErrorText());
        EXPECT_FALSE(Exists(L"")) << shown;
        EXPECT_EQ(kBadScript, m_registrar.StringUnregister(b.script.c_str())) << shown;
    }
    // A good script clears the error text.
    EXPECT_EQ(S_OK, m_registrar.StringRegister(Under(L"'%BASE%'").c_str()));
    EXPECT_EQ(L"", m_registrar.GetErrorText());
}

TEST_F(RegObjectTest, AFailedRegistrationTakesAwayWhatItWrote)
{
    // A volatile key cannot hold lasting subkeys: the script fails there.
    Plant(L"");
    Plant(L"Volatile", REG_OPTION_VOLATILE);
    const std::wstring script = Under(
        L"NoRemove '%BASE%' { First = s 'f' { Below } ForceRemove Second { val V = d 2 } "
        L"NoRemove Volatile { Lasting } Never }");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE), m_registrar.StringRegister(script.c_str()));
    EXPECT_EQ(NameSet{L"Volatile"}, Subkeys(L""));
}

TEST_F(RegObjectTest, RootNamesAndReplacementsIgnoreCase)
{
    m_registrar.AddReplacement(L"Name", L"first");
    m_registrar.AddReplacement(L"NAME", L"second");
    ASSERT_EQ(S_OK, m_registrar.StringRegister(
                        L"hkey_current_user { NoRemove software { NoRemove '%Base%' { '%name%' } } }"));
    EXPECT_EQ(NameSet{L"second"}, Subkeys(L""));
    EXPECT_EQ(S_OK, m_registrar.ClearReplacements());
    EXPECT_EQ(kBadScript, m_registrar.StringRegister(Under(L"'%BASE%'").c_str()));
}

TEST_F(RegObjectTest, AMissingResourceIsAnError)
{
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
              m_registrar.ResourceRegister(GetModuleHandleW(nullptr), 4711, L"REGISTRY"));
    EXPECT_EQ(E_INVALIDARG, m_registrar.StringRegister(nullptr));
}
