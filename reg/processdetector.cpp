#include "reg/processdetector.h"

#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

#include <cstring>
#include <vector>

namespace {

typedef BOOL(WINAPI* EnumProcessesFn)(DWORD*, DWORD, DWORD*);
typedef BOOL(WINAPI* EnumProcessModulesFn)(HANDLE, HMODULE*, DWORD, DWORD*);
typedef DWORD(WINAPI* GetModuleFileNameExFn)(HANDLE, HMODULE, LPSTR, DWORD);

// Process lists above this size are not believed.
const DWORD kMaxIdBytes = 1u << 20;
const DWORD kModuleNameChars = 1024;

class CLibrary
{
public:
    explicit CLibrary(const char* name) : m_module(LoadLibraryA(name)) {}
    ~CLibrary()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    template <class T> T Get(const char* name) const
    {
        return m_module ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_module, name))) : NULL;
    }

private:
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;
    HMODULE m_module;
};

DWORD OwnSystemProcessId()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return 0;
    return CProcessDetector::SystemProcessId(info.dwMajorVersion, info.dwMinorVersion);
}

} // namespace

DWORD CProcessDetector::SystemProcessId(DWORD majorVersion, DWORD minorVersion)
{
    if (majorVersion < 5)
        return 2;
    if (majorVersion == 5 && minorVersion == 0)
        return 8;
    return 4;
}

std::string CProcessDetector::Win32PathOf(const std::string& moduleName)
{
    if (moduleName.compare(0, 2, "\\?") != 0)
        return moduleName;
    const size_t slash = moduleName.find('\\', 1);
    return slash == std::string::npos ? moduleName : moduleName.substr(slash + 1);
}

void CProcessDetector::Detect()
{
    CLibrary psapi("psapi.dll");
    EnumProcessesFn enumProcesses = psapi.Get<EnumProcessesFn>("EnumProcesses");
    EnumProcessModulesFn enumModules = psapi.Get<EnumProcessModulesFn>("EnumProcessModules");
    GetModuleFileNameExFn moduleFileName = psapi.Get<GetModuleFileNameExFn>("GetModuleFileNameExA");
    if (!enumProcesses || !enumModules || !moduleFileName)
        return;

    // A full buffer may have cut the list: grow it until the list fits.
    std::vector<DWORD> ids;
    DWORD bytes = 128, returned = 0;
    do
    {
        bytes *= 2;
        if (bytes > kMaxIdBytes)
            return;
        ids.assign(bytes / sizeof(DWORD), 0);
        if (!enumProcesses(ids.data(), bytes, &returned))
            return;
    } while (returned == bytes);
    ids.resize(returned / sizeof(DWORD));

    const DWORD systemId = OwnSystemProcessId();
    for (DWORD id : ids)
    {
        if (id == 0 || id == systemId)
            continue;
        // Reading the module list is all the detector needs.
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
        if (!process)
            continue;
        HMODULE first = NULL;
        DWORD needed = 0;
        char name[kModuleNameChars];
        DWORD length = 0;
        if (enumModules(process, &first, sizeof(first), &needed))
            length = moduleFileName(process, first, name, kModuleNameChars);
        CloseHandle(process);
        // A name that fills the buffer may have been cut.
        if (length == 0 || length >= kModuleNameChars - 1)
            continue;

        const std::string full = Win32PathOf(std::string(name, strnlen(name, length)));
        const size_t slash = full.rfind('\\');
        const std::string exename = slash == std::string::npos ? full : full.substr(slash + 1);
        const std::string path = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);

        CXmlRecord record("process");
        record.AddField("path", path);
        record.AddField("exename", exename);
        const std::string md5 = CScanHelper::GetFileMd5(path + exename);
        if (!md5.empty())
            record.AddField("MD5", md5);
        Add(record);
    }
}
