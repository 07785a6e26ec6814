#include "reg/scanhelper.h"

#include "engine/digestpipeline.h"
#include "reg/readkey.h"
#include "reg/xmlrecord.h"

#include <cstring>
#include <utility>

namespace {

// Registry key names are at most 255 characters.
const DWORD kKeyNameChars = 256;
const int kReadAttempts = 3;

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

std::string CScanHelper::RegReadString(HKEY root, const std::string& keyPath, const std::string& valueName)
{
    std::string text;
    CReadKey(root, keyPath.c_str()).ReadText(valueName.c_str(), text);
    return text;
}

DWORD CScanHelper::RegReadDword(HKEY root, const std::string& keyPath, const std::string& valueName)
{
    DWORD value = 0;
    CReadKey(root, keyPath.c_str()).ReadDword(valueName.c_str(), value);
    return value;
}

std::vector<CRegValueRecord> CScanHelper::RegEnumSubkeys(HKEY root, const std::string& keyPath)
{
    std::vector<CRegValueRecord> found;
    CReadKey key(root, keyPath.c_str(), KEY_ENUMERATE_SUB_KEYS);
    if (!key.IsOpen())
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
    CReadKey key(root, keyPath.c_str());
    if (!key.IsOpen())
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
                if (dataSize >= data.size() && dataSize <= CReadKey::kMaxValueBytes)
                    data.resize(dataSize + 1);
                else if (data.size() <= CReadKey::kMaxValueBytes)
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

CXmlRecord CScanHelper::ClassRecord(const char* tag, const char* kind, const std::string& clsid, bool expandServer)
{
    CXmlRecord record(tag);
    record.AddField("kind", kind);
    record.AddField("name", ClassName(clsid));
    record.AddField("clsid", clsid);
    const std::string server = ClassServer(clsid);
    AddFileFields(record, "filename", expandServer ? ExpandEnvPath(server) : server);
    return record;
}
