#pragma once
// Reading helpers of the system detectors. They only read: keys are opened
// with read access and never created, values are read with the size they
// need, and texts always end at their terminator.

#include <windows.h>

#include <string>
#include <vector>

class CXmlRecord;

// One subkey or value as the enumerations return it.
class CRegValueRecord
{
public:
    CRegValueRecord(std::string name, std::string data, HKEY root, std::string keyPath);

    // "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT", "\", the key path.
    std::string GetFullKeyPath() const;
    std::string GetKeyPath() const { return m_keyPath; }

    std::string m_name;     // subkey or value name
    std::string m_data;     // a value's data as text; empty for a subkey
    HKEY m_root;
    std::string m_keyPath;  // a subkey's own path, or the path of the key holding a value
};

class CScanHelper
{
public:
    // The value as text up to its first zero byte; "" names the default value.
    // Empty when the key or value is missing.
    static std::string RegReadString(HKEY root, const std::string& keyPath, const std::string& valueName);
    // A REG_DWORD value (or 4 binary bytes); 0 when missing.
    static DWORD RegReadDword(HKEY root, const std::string& keyPath, const std::string& valueName);
    static std::vector<CRegValueRecord> RegEnumSubkeys(HKEY root, const std::string& keyPath);
    static std::vector<CRegValueRecord> RegEnumValues(HKEY root, const std::string& keyPath);

    // Replaces a leading "%NAME%" by the variable's value (the name matched
    // whole and without regard to case); without such a variable only the
    // rest remains. Paths not beginning with "%" come back unchanged.
    static std::string ExpandEnvPath(const std::string& path);
    // 32 lower-case hexadecimal digits; empty when the file cannot be read
    // or is empty.
    static std::string GetFileMd5(const std::string& path);

    // The default value of HKEY_CLASSES_ROOT "CLSID\<clsid>" and of its
    // "InProcServer32" subkey.
    static std::string ClassName(const std::string& clsid);
    static std::string ClassServer(const std::string& clsid);

    // Adds field = path and "MD5" = its digest, each only when not empty.
    static void AddFileFields(CXmlRecord& record, const char* field, const std::string& path);
    // The record of a COM class: "kind", "name" (the class's name), "clsid",
    // then "filename" (its in-process server, with a leading variable
    // expanded when asked) and "MD5" as AddFileFields writes them.
    static CXmlRecord ClassRecord(const char* tag, const char* kind, const std::string& clsid, bool expandServer);
};

// The name of a predefined root as the records write it.
const char* RootName(HKEY root);
