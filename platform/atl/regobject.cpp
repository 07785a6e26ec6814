#include "platform/atl/regobject.h"

#include <shlwapi.h>

#include <cwctype>

namespace {

const HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

struct RegValue
{
    std::wstring name;
    bool isDefault = false;
    bool noRemove = false;
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

enum KeyMode { kmPlain, kmNoRemove, kmForceRemove, kmDelete };

// A root is a key node too: its values and subkeys go on the root key.
struct RegKey
{
    std::wstring name;
    KeyMode mode = kmPlain;
    HKEY root = nullptr;
    std::vector<RegValue> values;
    std::vector<RegKey> subkeys;
};

struct Token
{
    std::wstring raw;       // as written: keywords and braces are read from it
    std::wstring text;      // with the replacements made
    bool quoted = false;
    int line = 0;
};

// The name's text, or NULL when it is not listed.
const std::wstring* FindReplacement(const CRegReplacements& list, const std::wstring& name)
{
    for (const auto& r : list)
        if (_wcsicmp(r.first.c_str(), name.c_str()) == 0)
            return &r.second;
    return nullptr;
}

class ScriptReader
{
public:
    ScriptReader(const CRegReplacements& replacements, std::wstring& error)
        : m_replacements(replacements), m_error(error), m_next(0) {}

    bool Read(LPCOLESTR script, std::vector<RegKey>& roots)
    {
        if (!Tokenize(script))
            return false;
        while (m_next < m_tokens.size())
        {
            const Token& t = m_tokens[m_next++];
            RegKey root;
            root.mode = kmNoRemove;
            root.root = RootOf(t);
            if (!root.root)
                return Fail(t.line, L"unknown root key '" + t.text + L"'");
            if (!Expect(L"{") || !ReadKeys(root))
                return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    bool Fail(int line, const std::wstring& what)
    {
        m_error = L"line " + std::to_wstring(line) + L": " + what;
        return false;
    }

    int LastLine() const { return m_tokens.empty() ? 1 : m_tokens.back().line; }

    static bool IsSymbol(const Token& t, LPCWSTR symbol) { return !t.quoted && t.raw == symbol; }
    static bool IsWord(const Token& t, LPCWSTR word) { return !t.quoted && _wcsicmp(t.raw.c_str(), word) == 0; }

    bool Tokenize(LPCOLESTR p)
    {
        int line = 1;
        while (*p)
        {
            if (*p == L'\n')
            {
                ++line;
                ++p;
                continue;
            }
            if (iswspace(*p))
            {
                ++p;
                continue;
            }
            Token t;
            t.line = line;
            if (*p == L'\'')
            {
                t.quoted = true;
                ++p;
                for (;;)
                {
                    if (!*p)
                        return Fail(t.line, L"quoted text without its closing quote");
                    if (*p == L'\'')
                    {
                        if (p[1] != L'\'')
                        {
                            ++p;
                            break;
                        }
                        ++p;
                    }
                    else if (*p == L'\n')
                        ++line;
                    t.raw += *p++;
                }
            }
            else
            {
                while (*p && !iswspace(*p))
                    t.raw += *p++;
            }
            if (!Replace(t))
                return false;
            m_tokens.push_back(std::move(t));
        }
        return true;
    }

    bool Replace(Token& t)
    {
        const std::wstring& s = t.raw;
        for (size_t i = 0; i < s.size(); ++i)
        {
            if (s[i] != L'%')
            {
                t.text += s[i];
                continue;
            }
            size_t end = s.find(L'%', i + 1);
            if (end == std::wstring::npos)
                return Fail(t.line, L"'%' without its closing '%' in '" + s + L"'");
            std::wstring key = s.substr(i + 1, end - i - 1);
            if (key.empty())
                t.text += L'%';
            else
            {
                const std::wstring* value = FindReplacement(m_replacements, key);
                if (!value)
                    return Fail(t.line, L"no replacement for %" + key + L"%");
                t.text += *value;
            }
            i = end;
        }
        return true;
    }

    static HKEY RootOf(const Token& t)
    {
        static const struct { LPCWSTR shortName; LPCWSTR longName; HKEY key; } roots[] = {
            {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
            {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
            {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
            {L"HKU", L"HKEY_USERS", HKEY_USERS},
        };
        for (const auto& r : roots)
            if (IsWord(t, r.shortName) || IsWord(t, r.longName))
                return r.key;
        return nullptr;
    }

    bool Take(Token& t, LPCWSTR what)
    {
        if (m_next >= m_tokens.size())
            return Fail(LastLine(), std::wstring(what) + L" expected at the end of the script");
        t = m_tokens[m_next++];
        return true;
    }

    bool Expect(LPCWSTR symbol)
    {
        Token t;
        if (!Take(t, (std::wstring(L"'") + symbol + L"'").c_str()))
            return false;
        if (!IsSymbol(t, symbol))
            return Fail(t.line, std::wstring(L"'") + symbol + L"' expected before '" + t.text + L"'");
        return true;
    }

    bool PeekSymbol(LPCWSTR symbol) const
    {
        return m_next < m_tokens.size() && IsSymbol(m_tokens[m_next], symbol);
    }

    bool TakeName(Token& t)
    {
        if (!Take(t, L"a name"))
            return false;
        if (IsSymbol(t, L"{") || IsSymbol(t, L"}") || IsSymbol(t, L"="))
            return Fail(t.line, L"a name expected before '" + t.raw + L"'");
        if (t.text.empty())
            return Fail(t.line, L"empty key or value name");
        return true;
    }

    // The key's subkeys and values, after its '{' up to its '}'.
    bool ReadKeys(RegKey& parent)
    {
        for (;;)
        {
            Token t;
            if (!Take(t, L"'}'"))
                return false;
            if (IsSymbol(t, L"}"))
                return true;
            KeyMode mode = kmPlain;
            if (IsWord(t, L"NoRemove"))
                mode = kmNoRemove;
            else if (IsWord(t, L"ForceRemove"))
                mode = kmForceRemove;
            else if (IsWord(t, L"Delete"))
                mode = kmDelete;
            if (mode != kmPlain && !TakeName(t))
                return false;

            if (IsWord(t, L"val"))
            {
                if (mode == kmForceRemove || mode == kmDelete)
                    return Fail(t.line, L"a value cannot be ForceRemove or Delete");
                RegValue value;
                value.noRemove = mode == kmNoRemove;
                Token name;
                if (!TakeName(name) || !Expect(L"=") || !ReadTypedValue(value))
                    return false;
                value.name = name.text;
                parent.values.push_back(std::move(value));
                continue;
            }

            RegKey key;
            key.mode = mode;
            key.name = t.text;
            if (key.name.find(L'\\') != std::wstring::npos)
                return Fail(t.line, L"a key name cannot hold '\\': '" + key.name + L"'");
            if (IsSymbol(t, L"{") || IsSymbol(t, L"}") || IsSymbol(t, L"="))
                return Fail(t.line, L"a key name expected before '" + t.raw + L"'");
            if (PeekSymbol(L"="))
            {
                ++m_next;
                RegValue value;
                value.isDefault = true;
                if (!ReadTypedValue(value))
                    return false;
                key.values.push_back(std::move(value));
            }
            if (PeekSymbol(L"{"))
            {
                ++m_next;
                if (!ReadKeys(key))
                    return false;
            }
            parent.subkeys.push_back(std::move(key));
        }
    }

    bool ReadTypedValue(RegValue& value)
    {
        Token type, data;
        if (!Take(type, L"a value type") || !Take(data, L"a value"))
            return false;
        if (IsWord(type, L"s") || IsWord(type, L"e"))
        {
            value.type = IsWord(type, L"s") ? REG_SZ : REG_EXPAND_SZ;
            const BYTE* bytes = reinterpret_cast<const BYTE*>(data.text.c_str());
            value.data.assign(bytes, bytes + (data.text.size() + 1) * sizeof(WCHAR));
            return true;
        }
        if (IsWord(type, L"d"))
        {
            DWORD number = 0;
            if (!ParseNumber(data.text, number))
                return Fail(data.line, L"'" + data.text + L"' is not a 32-bit number");
            value.type = REG_DWORD;
            const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
            value.data.assign(bytes, bytes + sizeof(number));
            return true;
        }
        if (IsWord(type, L"b"))
        {
            const std::wstring& hex = data.text;
            if (hex.size() % 2 != 0)
                return Fail(data.line, L"binary data '" + hex + L"' has an odd number of digits");
            value.type = REG_BINARY;
            for (size_t i = 0; i < hex.size(); i += 2)
            {
                int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
                if (hi < 0 || lo < 0)
                    return Fail(data.line, L"binary data '" + hex + L"' holds a character that is not a hex digit");
                value.data.push_back(static_cast<BYTE>(hi * 16 + lo));
            }
            return true;
        }
        return Fail(type.line, L"unknown value type '" + type.text + L"' (s, e, d or b)");
    }

    static int HexDigit(wchar_t c)
    {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    }

    static bool ParseNumber(const std::wstring& s, DWORD& out)
    {
        unsigned long long n = 0;
        size_t i = 0;
        unsigned base = 10;
        if (s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X'))
        {
            base = 16;
            i = 2;
        }
        if (i >= s.size())
            return false;
        for (; i < s.size(); ++i)
        {
            int d = HexDigit(s[i]);
            if (d < 0 || static_cast<unsigned>(d) >= base)
                return false;
            n = n * base + static_cast<unsigned>(d);
            if (n > 0xFFFFFFFFull)
                return false;
        }
        out = static_cast<DWORD>(n);
        return true;
    }

    const CRegReplacements& m_replacements;
    std::wstring& m_error;
    std::vector<Token> m_tokens;
    size_t m_next;
};

// ---------------------------------------------------------------- applying

HRESULT FromWin32(LONG error)
{
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(error));
}

// The key and everything below it; an absent key is no error.
LONG DeleteTree(HKEY parent, const std::wstring& name)
{
    LONG r = static_cast<LONG>(SHDeleteKeyW(parent, name.c_str()));
    return r == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : r;
}

HRESULT RegisterKey(HKEY parent, const RegKey& key);

HRESULT RegisterContents(HKEY handle, const RegKey& key)
{
    for (const RegValue& v : key.values)
    {
        LONG r = RegSetValueExW(handle, v.isDefault ? nullptr : v.name.c_str(), 0, v.type,
                                v.data.data(), static_cast<DWORD>(v.data.size()));
        if (r != ERROR_SUCCESS)
            return FromWin32(r);
    }
    for (const RegKey& sub : key.subkeys)
    {
        HRESULT hr = RegisterKey(handle, sub);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT RegisterKey(HKEY parent, const RegKey& key)
{
    if (key.mode == kmForceRemove || key.mode == kmDelete)
    {
        LONG r = DeleteTree(parent, key.name);
        if (r != ERROR_SUCCESS || key.mode == kmDelete)
            return FromWin32(r);
    }
    HKEY handle = nullptr;
    LONG r = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_READ | KEY_WRITE, nullptr, &handle, nullptr);
    if (r != ERROR_SUCCESS)
        return FromWin32(r);
    HRESULT hr = RegisterContents(handle, key);
    RegCloseKey(handle);
    return hr;
}

HRESULT UnregisterKey(HKEY parent, const RegKey& key);

HRESULT UnregisterContents(HKEY handle, const RegKey& key)
{
    HRESULT first = S_OK;
    for (const RegValue& v : key.values)
    {
        if (v.isDefault || v.noRemove)
            continue;
        LONG r = RegDeleteValueW(handle, v.name.c_str());
        if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND && SUCCEEDED(first))
            first = FromWin32(r);
    }
    for (const RegKey& sub : key.subkeys)
    {
        HRESULT hr = UnregisterKey(handle, sub);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    return first;
}

HRESULT UnregisterKey(HKEY parent, const RegKey& key)
{
    if (key.mode == kmDelete)
        return S_OK;
    if (key.mode == kmForceRemove)
        return FromWin32(DeleteTree(parent, key.name));
    HKEY handle = nullptr;
    LONG r = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, &handle);
    if (r == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (r != ERROR_SUCCESS)
        return FromWin32(r);
    HRESULT hr = UnregisterContents(handle, key);
    DWORD subkeys = 0;
    r = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    if (key.mode == kmNoRemove || r != ERROR_SUCCESS || subkeys != 0)
        return SUCCEEDED(hr) ? FromWin32(r) : hr;
    r = RegDeleteKeyW(parent, key.name.c_str());
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND && SUCCEEDED(hr))
        hr = FromWin32(r);
    return hr;
}

} // namespace

void SetRegReplacement(CRegReplacements& list, const std::wstring& name, const std::wstring& text)
{
    for (auto& r : list)
        if (_wcsicmp(r.first.c_str(), name.c_str()) == 0)
        {
            r.second = text;
            return;
        }
    list.emplace_back(name, text);
}

HRESULT CRegObject::AddReplacement(LPCOLESTR key, LPCOLESTR item)
{
    if (!key || !item || !*key)
        return E_INVALIDARG;
    SetRegReplacement(m_replacements, key, item);
    return S_OK;
}

HRESULT CRegObject::ClearReplacements()
{
    m_replacements.clear();
    return S_OK;
}

HRESULT CRegObject::StringRegister(LPCOLESTR data)
{
    return Run(data, true);
}

HRESULT CRegObject::StringUnregister(LPCOLESTR data)
{
    return Run(data, false);
}

HRESULT CRegObject::ResourceRegister(HMODULE module, UINT id, LPCOLESTR type)
{
    return RunResource(module, id, type, true);
}

HRESULT CRegObject::ResourceUnregister(HMODULE module, UINT id, LPCOLESTR type)
{
    return RunResource(module, id, type, false);
}

HRESULT CRegObject::Run(LPCOLESTR data, bool doRegister)
{
    m_error.clear();
    if (!data)
        return E_INVALIDARG;
    std::vector<RegKey> roots;
    ScriptReader reader(m_replacements, m_error);
    if (!reader.Read(data, roots))
        return kBadScript;

    if (!doRegister)
    {
        HRESULT first = S_OK;
        for (const RegKey& root : roots)
        {
            HRESULT hr = UnregisterContents(root.root, root);
            if (FAILED(hr) && SUCCEEDED(first))
                first = hr;
        }
        return first;
    }
    for (const RegKey& root : roots)
    {
        HRESULT hr = RegisterContents(root.root, root);
        if (FAILED(hr))
        {
            for (const RegKey& written : roots)
                UnregisterContents(written.root, written);
            return hr;
        }
    }
    return S_OK;
}

HRESULT CRegObject::RunResource(HMODULE module, UINT id, LPCOLESTR type, bool doRegister)
{
    m_error.clear();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    int size = static_cast<int>(SizeofResource(module, found));

    std::wstring text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        text.assign(reinterpret_cast<const WCHAR*>(bytes + 2), static_cast<size_t>(size - 2) / sizeof(WCHAR));
    else
    {
        UINT codePage = CP_ACP;
        if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        {
            codePage = CP_UTF8;
            bytes += 3;
            size -= 3;
        }
        int n = size > 0 ? MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(bytes), size, nullptr, 0) : 0;
        text.assign(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0)
            MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(bytes), size, &text[0], n);
    }
    // A NUL ends the script (resource compilers may pad with them).
    return Run(text.c_str(), doRegister);
}
