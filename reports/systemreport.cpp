#include "reports/systemreport.h"

#include "foundation/syshelpers.h"
#include "reg/fileversion.h"
#include "reg/readkey.h"
#include "reports/handleowner.h"
#include "reports/systeminfo.h"

#include <tlhelp32.h>

#include <vector>

namespace {

const DWORD kServicePortion = 2048;
const DWORD kMaxUninstallIndex = 65536;

class CServiceHandle
{
public:
    explicit CServiceHandle(SC_HANDLE handle) : m_handle(handle) {}
    ~CServiceHandle()
    {
        if (m_handle)
            CloseServiceHandle(m_handle);
    }
    operator SC_HANDLE() const { return m_handle; }

private:
    CServiceHandle(const CServiceHandle&) = delete;
    CServiceHandle& operator=(const CServiceHandle&) = delete;
    SC_HANDLE m_handle;
};

bool Present(const char* text)
{
    return text && *text;
}

CString Number(LONGLONG value)
{
    CString text;
    text.Format("%lld", value);
    return text;
}

} // namespace

bool EnableDebugPrivilege(bool enable)
{
    HANDLE token = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    bool wasEnabled = false;
    TOKEN_PRIVILEGES privileges = {};
    if (LookupPrivilegeValueA(NULL, "SeDebugPrivilege", &privileges.Privileges[0].Luid))
    {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        TOKEN_PRIVILEGES previous = {};
        DWORD size = sizeof(previous);
        if (AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), &previous, &size) &&
            ::GetLastError() != ERROR_NOT_ALL_ASSIGNED)
        {
            // An unchanged privilege is not listed in the previous state.
            wasEnabled = previous.PrivilegeCount == 0 ? enable
                                                      : (previous.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    CloseHandle(token);
    return wasEnabled;
}

CSystemReport::CSystemReport() : m_folder(static_cast<LPCSTR>(GetProductDataFolder()))
{
}

CSystemReport::CSystemReport(const std::string& folder) : m_folder(folder)
{
    if (!m_folder.empty() && m_folder.back() != '\\')
        m_folder += '\\';
}

CSystemReport::~CSystemReport()
{
}

void CSystemReport::Write()
{
    const std::string reportPath = m_folder + "report.doc";
    HANDLE file =
        CreateFileA(reportPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
    {
        void (CSystemReport::*const builders[])() = {&CSystemReport::AddSystemInfo, &CSystemReport::AddProcesses,
                                                     &CSystemReport::AddServices, &CSystemReport::AddInstalledPrograms};
        for (auto build : builders)
        {
            (this->*build)();
            SetFilePointer(file, 0, NULL, FILE_END);
            DWORD written = 0;
            WriteFile(file, m_text.GetString(), static_cast<DWORD>(m_text.GetLength()), &written, NULL);
        }
        CloseHandle(file);
    }
    CaptureScreen((m_folder + "screen.kap").c_str());
}

void CSystemReport::AddSystemInfo()
{
    m_text = "\nSYSTEM INFO\n";
    for (const char* key : CSystemInfo::kKeys)
        m_text += CSystemInfo::Collect(key);
}

void CSystemReport::AddProcesses()
{
    m_text = "\nPROCESSES\n";
    const bool wasEnabled = EnableDebugPrivilege(true);
    CHandleOwner snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    if (snapshot.Valid() && Process32First(snapshot, &entry))
    {
        do
        {
            m_text += "\n\n=====================================================";
            m_text += CString("\nPROCESS NAME:  ") + entry.szExeFile;
            m_text += "\n-----------------------------------------------------";
            m_text += "\n  process ID\t\t\t= " + Number(entry.th32ProcessID);
            m_text += "\n  thread count\t\t\t= " + Number(entry.cntThreads);
            m_text += "\n  parent process ID\t\t= " + Number(entry.th32ParentProcessID);
            m_text += "\n  Priority Base\t\t\t= " + Number(entry.pcPriClassBase);
            // Reading the priority class needs no more than query access.
            CHandleOwner process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
            const DWORD priorityClass = process.Valid() ? GetPriorityClass(process) : 0;
            if (priorityClass)
                m_text += "\n  Priority Class    = " + Number(priorityClass);
            AddModules(entry.th32ProcessID);
        } while (Process32Next(snapshot, &entry));
    }
    if (!wasEnabled)
        EnableDebugPrivilege(false);
}

void CSystemReport::AddModules(DWORD processId)
{
    CHandleOwner snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32 module = {};
    module.dwSize = sizeof(module);
    if (!snapshot.Valid() || !Module32First(snapshot, &module))
        return;
    AddVersionInfo(module.szExePath);
    do
    {
        m_text += CString("\n\n     MODULE NAME:     ") + module.szModule;
        m_text += CString("\n     executable     = ") + module.szExePath;
        m_text += "\n     process ID     = " + Number(module.th32ProcessID);
        m_text += "\n     ref count (g)  =     " + Number(module.GlblcntUsage);
        m_text += "\n     ref count (p)  =     " + Number(module.ProccntUsage);
        m_text += "\n     base address   = " + Number(reinterpret_cast<INT_PTR>(module.modBaseAddr));
        m_text += "\n     base size      = " + Number(module.modBaseSize);
    } while (Module32Next(snapshot, &module));
}

void CSystemReport::AddVersionInfo(const char* path)
{
    static const struct
    {
        const char* label;
        const char* entry;
    } kEntries[] = {
        {"\nCompanyName: ", "CompanyName"},           {"\nFileDescription: ", "FileDescription"},
        {"\nFileVersion: ", "FileVersion"},           {"\nInternalName: ", "InternalName"},
        {"\nFLegalCopyright: ", "LegalCopyright"},    {"\nOriginalFilename: ", "OriginalFilename"},
        {"\nProductName: ", "ProductName"},           {"\nProductVersion: ", "ProductVersion"},
    };
    CFileVersion version;
    if (!path || !version.Load(path))
        return;
    const std::vector<std::string> translations = version.GetTranslations(true);
    if (translations.empty())
        return;
    CString block = CString("\n\n") + path + ":";
    for (const auto& item : kEntries)
    {
        std::string value;
        if (!version.GetString(translations[0], item.entry, value))
            return;
        block += CString(item.label) + value.c_str();
    }
    m_text += block;
}

void CSystemReport::AddServices()
{
    m_text = "\nSERVICES\n";
    CServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager)
        return;
    std::vector<BYTE> buffer(kServicePortion);
    DWORD resume = 0;
    for (;;)
    {
        DWORD needed = 0, count = 0;
        const BOOL done = EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                                              reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()),
                                              static_cast<DWORD>(buffer.size()), &needed, &count, &resume);
        const bool more = !done && ::GetLastError() == ERROR_MORE_DATA;
        if (!done && !more)
            break;
        const ENUM_SERVICE_STATUSA* services = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
        {
            if (services[i].ServiceStatus.dwCurrentState == SERVICE_RUNNING)
                AddServiceConfig(manager, services[i].lpServiceName);
        }
        if (!more)
            break;
        // A portion too small for even one service grows to what it needs.
        if (count == 0)
        {
            if (needed <= buffer.size())
                break;
            buffer.resize(needed);
        }
    }
}

void CSystemReport::AddServiceConfig(SC_HANDLE manager, const char* serviceName)
{
    CServiceHandle service(OpenServiceA(manager, serviceName, SERVICE_QUERY_CONFIG));
    if (!service)
        return;
    DWORD needed = 0;
    QueryServiceConfigA(service, NULL, 0, &needed);
    if (needed == 0)
        return;
    std::vector<BYTE> configBytes(needed);
    QUERY_SERVICE_CONFIGA* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(configBytes.data());
    if (!QueryServiceConfigA(service, config, needed, &needed))
        return;
    needed = 0;
    QueryServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, NULL, 0, &needed);
    if (needed == 0)
        return;
    std::vector<BYTE> descriptionBytes(needed);
    SERVICE_DESCRIPTIONA* description = reinterpret_cast<SERVICE_DESCRIPTIONA*>(descriptionBytes.data());
    if (!QueryServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, descriptionBytes.data(), needed, &needed))
        return;

    m_text += "==============================================\n";
    if (Present(config->lpDisplayName))
        m_text += CString(config->lpDisplayName) + ":\n\n";
    m_text += "Type:\t" + Number(config->dwServiceType) + "\n";
    m_text += "RunType:\t" + Number(config->dwStartType) + "\n";
    m_text += "ErrorControl:\t" + Number(config->dwErrorControl) + "\n";
    m_text += CString("Path:\t") + (config->lpBinaryPathName ? config->lpBinaryPathName : "") + "\n";
    if (Present(config->lpLoadOrderGroup))
        m_text += CString("Group:\t") + config->lpLoadOrderGroup + "\n";
    if (config->dwTagId != 0)
        m_text += "IdGroup:\t" + Number(config->dwTagId) + "\n";
    if (Present(config->lpDependencies))
        m_text += CString("Dependencies:\t") + config->lpDependencies + "\n";
    if (Present(config->lpServiceStartName))
        m_text += CString("ServiceName:\t") + config->lpServiceStartName + "\n";
    if (Present(description->lpDescription))
        m_text += CString("Description:\t") + description->lpDescription + "\n";
}

void CSystemReport::AddInstalledPrograms()
{
    m_text = "\nINSTALL PROGRAMS\n";
    const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    CReadKey uninstall(HKEY_LOCAL_MACHINE, kUninstall, KEY_READ);
    if (!uninstall.IsOpen())
        return;
    static const struct
    {
        const char* value;
        const char* label;
    } kValues[] = {
        {"InstallLocation", "InstallLocation\t- "},
        {"DisplayName", "DisplayName\t\t- "},
        {"DisplayVersion", "DisplayVersion\t- "},
        {"Publisher", "Publisher\t\t- "},
    };
    for (DWORD index = 0; index < kMaxUninstallIndex; ++index)
    {
        char name[257];
        const LONG rc = RegEnumKeyA(uninstall, index, name, sizeof(name));
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            continue;
        name[sizeof(name) - 1] = '\0';
        CReadKey program(uninstall, name);
        if (!program.IsOpen())
            continue;
        m_text += CString("===================================================\n") + name + ":\n\n";
        for (const auto& item : kValues)
        {
            // Each value is read with the size it needs.
            std::string value;
            if (!program.ReadText(item.value, value))
                continue;
            std::vector<char> oem(value.begin(), value.end());
            oem.push_back('\0');
            CharToOemA(oem.data(), oem.data());
            m_text += CString(item.label) + oem.data() + "\n";
        }
    }
}
