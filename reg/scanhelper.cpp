#include "reg/scanhelper.h"

#include "engine/digestpipeline.h"
#include "reg/xmlrecord.h"

#include <cstring>
#include <utility>

namespace {

// Values above this size are not part of any place the detectors read.
const DWORD kMaxValueBytes = 1u << 20;
// Registry key names are at most 255 characters.
const DWORD kKeyNameChars = 256;
const int kReadAttempts = 3;

// Owns an open key.
class CRegKey
{
public:
    CRegKey() : m_key(NULL) {}
    ~CRegKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    bool Open(HKEY root, const std::string& path, REGSAM access)
    {
        return RegOpenKeyExA(root, path.c_str(), 0, access, &m_key) == ERROR_SUCCESS;
    }
    operator HKEY() const { return m_key; }

private:
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY m_key;
};

std::string TextOf(const std::vector<char>& bytes, DWORD size)
{
    const char* data = bytes.data();
    return std::string(data, strnlen(data, size));
}

} // namespace

CRegValueRecord::CRegValueRecord(std::string name, std::string data, HKEY root, std::string keyPath)
    : m_name(std::move(name)), m_data(std::move(data)), m_root(root), m_keyPath(std::move(keyPath))
{
}

std::string CRegValueRecord::GetFullKeyPath() const
{
    return std::string(RootName(m_root)) + "\\" + m_keyPath;
}

const char* RootName(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    return "";
}

bool CScanHelper::ReadValueText(HKEY key, const char* valueName, std::string& text)
{
    text.clear();
    for (int attempt = 0; attempt < kReadAttempts; ++attempt)
    {
        DWORD size = 0;
        if (RegQueryValueExA(key, valueName, NULL, NULL, NULL, &size) != ERROR_SUCCESS || size > kMaxValueBytes)
            return false;
        // One spare zero byte ends data that was stored without a terminator.
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        LONG rc = RegQueryValueExA(key, valueName, NULL, NULL, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (rc == ERROR_MORE_DATA)
            continue;  // the value grew meanwhile
        if (rc != ERROR_SUCCESS)
            return false;
        text = TextOf(buffer, got < size ? got : size);
        return true;
    }
    return false;
}

std::string CScanHelper::RegReadString(HKEY root, const std::string& keyPath, const std::string& valueName)
{
    CRegKey key;
    std::string text;
    if (key.Open(root, keyPath, KEY_QUERY_VALUE))
        ReadValueText(key, valueName.c_str(), text);
    return text;
}

bool CScanHelper::ReadValueDword(HKEY key, const char* valueName, DWORD& value)
{
    DWORD read = 0, type = 0, size = sizeof(read);
    if (RegQueryValueExA(key, valueName, NULL, &type, reinterpret_cast<BYTE*>(&read), &size) != ERROR_SUCCESS ||
        size != sizeof(read) || (type != REG_DWORD && type != REG_BINARY))
        return false;
    value = read;
    return true;
}

DWORD CScanHelper::RegReadDword(HKEY root, const std::string& keyPath, const std::string& valueName)
{
    CRegKey key;
    DWORD value = 0;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE) || !ReadValueDword(key, valueName.c_str(), value))
        return 0;
    return value;
}

std::vector<CRegValueRecord> CScanHelper::RegEnumSubkeys(HKEY root, const std::string& keyPath)
{
    std::vector<CRegValueRecord> found;
    CRegKey key;
    if (!key.Open(root, keyPath, KEY_ENUMERATE_SUB_KEYS))
        return found;
    for (DWORD index = 0;; ++index)
    {
        char name[kKeyNameChars];
        DWORD length = kKeyNameChars;
        LONG rc = RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            break;
        const std::string subkey(name, strnlen(name, length));
        found.emplace_back(subkey, std::string(), root, keyPath + "\\" + subkey);
    }
    return found;
}

std::vector<CRegValueRecord> CScanHelper::RegEnumValues(HKEY root, const std::string& keyPath)
{
    std::vector<CRegValueRecord> found;
    CRegKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE))
        return found;
    DWORD count = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &count, &maxName, &maxData, NULL, NULL) !=
        ERROR_SUCCESS)
        return found;
    // Names fit 16,383 characters; data of any size the key reports, up to the bound.
    std::vector<char> name(maxName + 2 > 260 ? maxName + 2 : 260);
    std::vector<char> data((maxData > 259 ? maxData : 259) + 1);
    for (DWORD index = 0; index < count; ++index)
    {
        for (int attempt = 0; attempt < kReadAttempts; ++attempt)
        {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size() - 1);
            std::fill(data.begin(), data.end(), '\0');
            LONG rc = RegEnumValueA(key, index, name.data(), &nameLength, NULL, NULL,
                                    reinterpret_cast<BYTE*>(data.data()), &dataSize);
            if (rc == ERROR_MORE_DATA)
            {
                // The value changed since the key was asked: grow within the bound and retry.
                if (name.size() < 32768)
                    name.resize(32768);
                if (dataSize >= data.size() && dataSize <= kMaxValueBytes)
                    data.resize(dataSize + 1);
                else if (data.size() <= kMaxValueBytes)
                    data.resize(data.size() * 2);
                continue;
            }
            if (rc == ERROR_SUCCESS)
                found.emplace_back(std::string(name.data(), strnlen(name.data(), nameLength)),
                                   TextOf(data, dataSize), root, keyPath);
            break;
        }
    }
    return found;
}

std::string CScanHelper::ExpandEnvPath(const std::string& path)
{
    if (path.empty() || path[0] != '%')
        return path;
    const size_t close = path.find('%', 1);
    if (close == std::string::npos || close == 1 || close - 1 > 255)
        return path;
    const std::string name = path.substr(1, close - 1);
    const std::string rest = path.substr(close + 1);
    DWORD size = GetEnvironmentVariableA(name.c_str(), NULL, 0);
    if (size == 0)
        return rest;
    std::vector<char> value(size);
    DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), size);
    if (n >= size)
        return rest;
    return std::string(value.data(), n) + rest;
}

std::string CScanHelper::GetFileMd5(const std::string& path)
{
    BYTE digest[16];
    if (path.empty() || !DigestOfFile(path.c_str(), digest))
        return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (BYTE b : digest)
    {
        text += kHex[b >> 4];
        text += kHex[b & 15];
    }
    return text;
}

std::string CScanHelper::ClassName(const std::string& clsid)
{
    return RegReadString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "");
}

std::string CScanHelper::ClassServer(const std::string& clsid)
{
    return RegReadString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InProcServer32", "");
}

void CScanHelper::AddFileFields(CXmlRecord& record, const char* field, const std::string& path)
{
    if (path.empty())
        return;
    record.AddField(field, path);
    const std::string md5 = GetFileMd5(path);
    if (!md5.empty())
        record.AddField("MD5", md5);
}
