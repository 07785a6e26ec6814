#include "foundation/syshelpers.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

const char kDataFolderVariable[] = "CLEANWARDEN_DATA_FOLDER";

namespace {

const char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
const char kRunSubKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

const size_t kMaxRegistryPath = 1023;
const size_t kMaxRootName = 127;
const size_t kMaxSubKey = 511;
const size_t kMaxAutoRunText = 259;
const DWORD kReadBufferSize = 256;
const DWORD kShutdownReasonApplication = 0x40000;
const DWORD kWakeMask = 0xFF;
const DWORD kWaitSlice = 100;

ExitWindowsFn g_exitWindows = ExitWindowsEx;

struct RootName
{
    const char* name;
    HKEY key;
};

const RootName kRoots[] = {
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style)
{
    return MessageBoxA(owner, text, caption, style);
}

void CopyModuleFolder(char* buffer, size_t bufferSize)
{
    if (!buffer || bufferSize == 0)
        return;
    buffer[0] = '\0';
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    char full[MAX_PATH];
    char* filePart = NULL;
    n = GetFullPathNameA(module, MAX_PATH, full, &filePart);
    if (n == 0 || n >= MAX_PATH)
        return;
    if (filePart)
        *filePart = '\0';
    lstrcpynA(buffer, full, static_cast<int>(bufferSize > MAX_PATH ? MAX_PATH : bufferSize));
}

CString GetModuleFolder()
{
    char folder[MAX_PATH];
    CopyModuleFolder(folder, sizeof(folder));
    return CString(folder);
}

namespace {

HINSTANCE ShellExecuteOpen(HWND owner, const char* path)
{
    return ShellExecuteA(owner, "open", path, NULL, NULL, SW_SHOWNORMAL);
}

ShellOpenFn g_shellOpen = ShellExecuteOpen;

} // namespace

HINSTANCE ShellOpen(HWND owner, const char* path)
{
    return g_shellOpen(owner, path);
}

ShellOpenFn SetShellOpenHook(ShellOpenFn fn)
{
    ShellOpenFn previous = g_shellOpen;
    g_shellOpen = fn ? fn : ShellExecuteOpen;
    return previous;
}

void ForceDeleteFile(const char* path)
{
    const DWORD guarded = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    DWORD attrs = GetFileAttributesA(path);
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & guarded)) {
        DWORD kept = attrs & ~guarded;
        SetFileAttributesA(path, kept ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileA(path);
}

void SplitCommaList(const char* text, CStringArray& list)
{
    list.RemoveAll();
    CString rest(text);
    if (rest.IsEmpty())
        return;
    // A comma in the first place ends the splitting: the rest is one item.
    for (int p = rest.Find(','); p > 0; p = rest.Find(',')) {
        list.Add(rest.Left(p));
        rest = rest.Mid(p + 1);
    }
    list.Add(rest);
}

CString JoinCommaList(const CStringArray& list)
{
    CString joined;
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        if (i > 0)
            joined += ',';
        joined += list.GetAt(i);
    }
    return joined;
}

CString GetTempFolder()
{
    char folder[MAX_PATH] = "";
    DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH)
        folder[0] = '\0';
    if (folder[0] && GetPlatformId() != VER_PLATFORM_WIN32_NT) {
        char longForm[MAX_PATH];
        n = GetLongPathNameA(folder, longForm, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            lstrcpynA(folder, longForm, MAX_PATH);
    }
    if (folder[0] && GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(folder, NULL);
    return CString(folder);
}

CString CreateTempFileName(const char* prefix)
{
    const CString folder = GetTempFolder();
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder, prefix ? prefix : "", 0, name))
        return CString();
    const CString full(name);
    return full.Mid(full.ReverseFind('\\') + 1);
}

void GetLocalAndNetworkDrives(CStringArray& list)
{
    list.RemoveAll();
    char roots[128];
    DWORD n = GetLogicalDriveStringsA(sizeof(roots), roots);
    if (n == 0 || n > sizeof(roots))
        return;
    for (const char* root = roots; *root; root += strlen(root) + 1) {
        UINT type = GetDriveTypeA(root);
        if (type == DRIVE_FIXED || type == DRIVE_REMOTE)
            list.Add(CString(root, 2));
    }
}

CString GetEnvironmentOr(const char* variable, const char* fallback)
{
    const DWORD size = GetEnvironmentVariableA(variable, NULL, 0);
    if (size == 0)
        return fallback;
    CString value;
    const DWORD n = GetEnvironmentVariableA(variable, value.GetBuffer(size), size);
    value.ReleaseBuffer(n < size ? n : 0);
    return value.IsEmpty() ? CString(fallback) : value;
}

CString GetProductDataFolder()
{
    // Tests run the program against a data folder of their own.
    char folder[MAX_PATH] = "";
    const DWORD n = GetEnvironmentVariableA(kDataFolderVariable, folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
    {
        CString planted(folder);
        if (planted.Right(1) != "\\")
            planted += "\\";
        return planted;
    }
    folder[0] = '\0';
    if (!SHGetSpecialFolderPathA(NULL, folder, CSIDL_COMMON_APPDATA, TRUE))
        folder[0] = '\0';
    return CString(folder) + "\\Telmin\\Cleanwarden\\";
}

void GetDriveList(const char* pathList, CStringArray& list)
{
    if (CString(pathList).CompareNoCase("AllDrives") == 0)
        GetLocalAndNetworkDrives(list);
    else
        SplitCommaList(pathList, list);
}

void GetDriveListOrAll(const char* pathList, CStringArray& list)
{
    if (!pathList || !*pathList)
        GetLocalAndNetworkDrives(list);
    else
        SplitCommaList(pathList, list);
}

void SetAutoRun(const char* valueName, const char* args)
{
    if (!args)
        args = "";
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || n + strlen(args) > kMaxAutoRunText)
        return;
    // Quoted so that a path with blanks cannot start a different program.
    CString command;
    command.Format("\"%s\" %s", module, args);
    RegWriteString(kRunKey, valueName, command);
}

bool RemoveAutoRun(const char* valueName)
{
    return RegDeleteValueByPath(kRunKey, valueName);
}

bool IsAutoRun(const char* valueName)
{
    return RegValueExists(HKEY_CURRENT_USER, kRunSubKey, valueName);
}

DWORD GetPlatformId()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info))
        return 0;
    return info.dwPlatformId;
}

void EnablePrivilege(const char* privilegeName, bool enable)
{
    if (GetPlatformId() != VER_PLATFORM_WIN32_NT)
        return;
    HANDLE token = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return;
    TOKEN_PRIVILEGES privileges = {};
    if (LookupPrivilegeValueA(NULL, privilegeName, &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), NULL, NULL);
    }
    CloseHandle(token);
}

ExitWindowsFn SetExitWindowsHook(ExitWindowsFn fn)
{
    ExitWindowsFn previous = g_exitWindows;
    g_exitWindows = fn ? fn : ExitWindowsEx;
    return previous;
}

bool RebootWindows()
{
    EnablePrivilege("SeShutdownPrivilege", true);
    return g_exitWindows(EWX_REBOOT, kShutdownReasonApplication) != FALSE;
}

CString GetIEVersion()
{
    return RegReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer", "Version");
}

CString FormatOSName(const OSVERSIONINFOEXA& info, bool extended)
{
    CString text;
    const DWORD major = info.dwMajorVersion;
    const DWORD minor = info.dwMinorVersion;
    const DWORD build = info.dwBuildNumber & 0xFFFF;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT:
        if (major == 5 && minor == 2)
            text += "Microsoft Windows Server 2003 family, ";
        else if (major == 5 && minor == 1)
            text += "Microsoft Windows XP ";
        else if (major == 5 && minor == 0)
            text += "Microsoft Windows 2000 ";
        else if (major <= 4)
            text += "Microsoft Windows NT ";

        if (extended) {
            const WORD suite = info.wSuiteMask;
            if (info.wProductType == VER_NT_WORKSTATION) {
                if (major == 4)
                    text += "Workstation 4.0 ";
                else if (suite & VER_SUITE_PERSONAL)
                    text += "Home Edition ";
                else
                    text += "Professional ";
            } else if (info.wProductType == VER_NT_SERVER ||
                       info.wProductType == VER_NT_DOMAIN_CONTROLLER) {
                if (major == 5 && minor == 2) {
                    if (suite & VER_SUITE_DATACENTER)
                        text += "Datacenter Edition ";
                    else if (suite & VER_SUITE_ENTERPRISE)
                        text += "Enterprise Edition ";
                    else if (suite & VER_SUITE_BLADE)
                        text += "Web Edition ";
                    else
                        text += "Standard Edition ";
                } else if (major == 5 && minor == 0) {
                    if (suite & VER_SUITE_DATACENTER)
                        text += "Datacenter Server ";
                    else if (suite & VER_SUITE_ENTERPRISE)
                        text += "Advanced Server ";
                    else
                        text += "Server ";
                } else if (major == 4) {
                    if (suite & VER_SUITE_ENTERPRISE)
                        text += "Server 4.0, Enterprise Edition ";
                    else
                        text += "Server 4.0 ";
                }
            }
        } else {
            const CString type = RegReadString(
                "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                "ProductType");
            if (type.CompareNoCase("WINNT") == 0)
                text += "Workstation ";
            else if (type.CompareNoCase("LANMANNT") == 0)
                text += "Server ";
            else if (type.CompareNoCase("SERVERNT") == 0)
                text += "Advanced Server ";
            text.AppendFormat("%d.%d ", static_cast<int>(major), static_cast<int>(minor));
        }

        if (major == 4 && lstrcmpiA(info.szCSDVersion, "Service Pack 6") == 0) {
            HKEY key = NULL;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                              "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009",
                              0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
                text.AppendFormat("Service Pack 6a (Build %d)\r\n", static_cast<int>(build));
                RegCloseKey(key);
            } else {
                text.AppendFormat("%s (Build %d)\r\n", info.szCSDVersion, static_cast<int>(build));
            }
        } else {
            text.AppendFormat("%s (Build %d)\r\n", info.szCSDVersion, static_cast<int>(build));
        }
        break;

    case VER_PLATFORM_WIN32_WINDOWS:
        if (major == 4 && minor == 0) {
            text += "Microsoft Windows 95 ";
            if (info.szCSDVersion[1] == 'C' || info.szCSDVersion[1] == 'B')
                text += "OSR2 ";
        } else if (major == 4 && minor == 10) {
            text += "Microsoft Windows 98 ";
            if (info.szCSDVersion[1] == 'A')
                text += "SE ";
        } else if (major == 4 && minor == 90) {
            text += "Microsoft Windows Millennium Edition\r\n";
        }
        break;

    case VER_PLATFORM_WIN32s:
        text += "Microsoft Win32s\r\n";
        break;
    }
    return text;
}

CString GetOSName()
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) != FALSE;
    if (!extended) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
            return CString();
    }
    return FormatOSName(info, extended);
}

HKEY ParseRegistryPath(const char* fullPath, CString& subKey)
{
    subKey.Empty();
    if (!fullPath || strlen(fullPath) > kMaxRegistryPath)
        return NULL;
    const CString path(fullPath);
    const int slash = path.Find('\\');
    const CString root = slash < 0 ? path : path.Left(slash);
    const CString rest = slash < 0 ? CString() : path.Mid(slash + 1);
    if (root.GetLength() > static_cast<int>(kMaxRootName) ||
        rest.GetLength() > static_cast<int>(kMaxSubKey))
        return NULL;
    subKey = rest;
    for (const RootName& r : kRoots) {
        if (root.CompareNoCase(r.name) == 0)
            return r.key;
    }
    return NULL;
}

bool RegValueExists(HKEY root, const char* subKey, const char* valueName)
{
    if (!root)
        return false;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    BYTE probe[1];
    DWORD size = sizeof(probe);
    LONG rc = RegQueryValueExA(key, valueName, NULL, NULL, probe, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
}

bool RegWriteString(const char* fullPath, const char* valueName, const char* text)
{
    CString subKey;
    HKEY root = ParseRegistryPath(fullPath, subKey);
    if (!root)
        return false;
    if (!text)
        text = "";
    const size_t size = strlen(text) + 1;  // REG_SZ data carries its NUL
    if (size > MAXDWORD)
        return false;
    HKEY key = NULL;
    if (RegCreateKeyExA(root, subKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             static_cast<DWORD>(size));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegDeleteValueByPath(const char* fullPath, const char* valueName)
{
    CString subKey;
    HKEY root = ParseRegistryPath(fullPath, subKey);
    if (!root)
        return false;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG rc = RegDeleteValueA(key, valueName);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

CString RegReadString(const char* fullPath, const char* valueName)
{
    CString subKey;
    HKEY root = ParseRegistryPath(fullPath, subKey);
    if (!root)
        return CString();
    HKEY key = NULL;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return CString();
    char data[kReadBufferSize];
    DWORD type = 0;
    DWORD size = sizeof(data);
    LONG rc = RegQueryValueExA(key, valueName, NULL, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ || size > sizeof(data))
        return CString();
    // Stored data need not end in a NUL. A value that fills the whole buffer
    // without one is too long to read whole, and is read as empty rather
    // than cut.
    if (size == 0)
        return CString();
    if (data[size - 1] != '\0') {
        if (size == sizeof(data))
            return CString();
        data[size] = '\0';
    }
    return CString(data);
}

DWORD WaitForMultipleObjectsWithMessages(DWORD count, const HANDLE* handles, BOOL waitAll,
                                         DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD rc = MsgWaitForMultipleObjects(count, handles, waitAll, kWaitSlice, kWakeMask);
        if (rc != WAIT_TIMEOUT && rc != WAIT_OBJECT_0 + count)
            return rc;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (timeoutMs != INFINITE && GetTickCount() - start >= timeoutMs)
            return WAIT_TIMEOUT;
    }
}

DWORD WaitForSingleObjectWithMessages(HANDLE handle, DWORD timeoutMs)
{
    return WaitForMultipleObjectsWithMessages(1, &handle, FALSE, timeoutMs);
}
