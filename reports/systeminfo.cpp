#include "reports/systeminfo.h"

#include "platform/mfc/cwaitcursor.h"
#include "reg/readkey.h"

#include <intrin.h>

#include <cstring>
#include <string>

namespace {

const char kUnknown[] = "Unknown";
const char kWriteDenied[] = "Write access denied !";
const ULONGLONG kMegabyte = 1048576;

CString FolderLine(const char* label, const char* folder)
{
    CString line = CString(label) + folder;
    if (!CSystemInfo::CanWriteTo(folder))
        line += kWriteDenied;
    return line;
}

// Busy-waits a little over two seconds at high priority and counts the
// processor's clock ticks meanwhile.
DWORD MeasureProcessorMhz()
{
    HANDLE process = GetCurrentProcess();
    const DWORD priority = GetPriorityClass(process);
    SetPriorityClass(process, HIGH_PRIORITY_CLASS);
    const unsigned long long start = __rdtsc();
    const DWORD began = GetTickCount();
    while (GetTickCount() - began <= 2000)
    {
    }
    const unsigned long long ticks = __rdtsc() - start;
    SetPriorityClass(process, priority ? priority : NORMAL_PRIORITY_CLASS);
    return static_cast<DWORD>(ticks / 2000000);
}

} // namespace

const char* const CSystemInfo::kKeys[8] = {"OS", "Directories", "Browser", "CPU",
                                           "Memory", "Resolution", "BIOS", "Discs"};

CString CSystemInfo::Collect(const char* key)
{
    if (!key)
        return CString();
    CWaitCursor wait;
    CString body;
    if (strcmp(key, "OS") == 0)
        return CString("OS Version = ") + (GetOsVersion(body) ? body : CString(kUnknown));
    if (strcmp(key, "Directories") == 0)
        return GetDirectoriesInfo();
    if (strcmp(key, "Browser") == 0)
        return CString("\r\nBrowser version = ") + (GetBrowserVersion(body) ? body : CString(kUnknown));
    if (strcmp(key, "CPU") == 0)
        return CString("\r\n\r\nSytem CPU info = ") + (GetCpuInfo(body) ? body : CString(kUnknown));
    if (strcmp(key, "Memory") == 0)
        return GetMemoryInfo();
    if (strcmp(key, "Resolution") == 0)
        return CString("\r\n\r\nVideo resolution info = ") + GetScreenInfo();
    if (strcmp(key, "BIOS") == 0)
        return CString("\r\n\r\nSystem bios version = ") + (GetBiosInfo(body) ? body : CString(kUnknown));
    if (strcmp(key, "Discs") == 0)
        return GetDrivesInfo();
    return CString();
}

bool CSystemInfo::FormatOsVersion(const OSVERSIONINFOEXA& info, bool extended, CString& text)
{
    text.Empty();
    const DWORD major = info.dwMajorVersion;
    const DWORD minor = info.dwMinorVersion;
    switch (info.dwPlatformId)
    {
    case VER_PLATFORM_WIN32s:
        text = "Microsoft Win 3.1 or Win 3.11";
        return true;

    case VER_PLATFORM_WIN32_WINDOWS:
        if (major == 4 && minor == 0)
        {
            text = "Microsoft Windows 95 ";
            if (info.szCSDVersion[1] == 'C' || info.szCSDVersion[1] == 'B')
                text += "OSR2 ";
        }
        else if (major == 4 && minor == 10)
        {
            text = "Microsoft Windows 98 ";
            if (info.szCSDVersion[1] == 'A')
                text += "SE ";
        }
        else if (major == 4 && minor == 90)
        {
            text = "Microsoft Windows Millennium Edition ";
        }
        else
        {
            return false;
        }
        return true;

    case VER_PLATFORM_WIN32_NT:
        break;

    default:
        return false;
    }

    if (major < 5)
        text += "Microsoft Windows NT ";
    else if (major == 5 && minor == 0)
        text += "Microsoft Windows 2000 ";

    bool named = major < 5 || (major == 5 && minor == 0);
    if (extended && info.wProductType == VER_NT_WORKSTATION)
    {
        if (major == 5 && minor == 1)
        {
            text = "Microsoft Windows XP ";
            named = true;
        }
        if (!named)
            text.AppendFormat("Microsoft Windows %lu.%lu ", major, minor);
        if (info.wSuiteMask & VER_SUITE_PERSONAL)
            text += "Home Edition ";
        else if (major < 5)
            text += "Workstation ";
        else
            text += "Professional ";
    }
    else if (extended && info.wProductType == VER_NT_SERVER)
    {
        if (major == 5 && minor == 1)
        {
            text = "Microsoft Windows .NET ";
            named = true;
        }
        if (!named)
            text.AppendFormat("Microsoft Windows %lu.%lu ", major, minor);
        if (info.wSuiteMask & VER_SUITE_DATACENTER)
            text += "DataCenter Server ";
        else if (info.wSuiteMask & VER_SUITE_ENTERPRISE)
            text += major == 4 ? "Advanced Server " : "Enterprise Server ";
        else if (info.wSuiteMask == VER_SUITE_BLADE)
            text += "Web Server ";
        else
            text += "Server ";
    }
    else
    {
        if (!named)
            text.AppendFormat("Microsoft Windows %lu.%lu ", major, minor);
        if (!extended)
        {
            std::string type;
            CReadKey options(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions");
            options.ReadText("ProductType", type);
            if (lstrcmpiA(type.c_str(), "WINNT") == 0)
                text += "Professional ";
            else if (lstrcmpiA(type.c_str(), "LANMANNT") == 0)
                text += "Server ";
            else if (lstrcmpiA(type.c_str(), "SERVERNT") == 0)
                text += "Advanced Server ";
        }
    }

    char servicePack[sizeof(info.szCSDVersion) + 1];
    lstrcpynA(servicePack, info.szCSDVersion, sizeof(servicePack));
    const int build = static_cast<int>(info.dwBuildNumber & 0xFFFF);
    if (major > 4)
        text.AppendFormat("%s (Build %d)", servicePack, build);
    else
        text.AppendFormat("%d.%d %s (Build %d)", static_cast<int>(major), static_cast<int>(minor), servicePack, build);
    return true;
}

bool CSystemInfo::GetOsVersion(CString& text)
{
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) != FALSE;
    if (!extended)
    {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
            return false;
    }
    return FormatOsVersion(info, extended, text);
}

bool CSystemInfo::CanWriteTo(const char* folder)
{
    char name[MAX_PATH];
    if (!folder || !GetTempFileNameA(folder, "mad", 0, name))
        return false;
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    const bool created = file != INVALID_HANDLE_VALUE;
    const bool closed = created && CloseHandle(file);
    // GetTempFileNameA made the file already: it goes whatever happened after.
    const bool deleted = DeleteFileA(name) != FALSE;
    return created && closed && deleted;
}

CString CSystemInfo::GetDirectoriesInfo()
{
    char folder[MAX_PATH + 1] = "";
    UINT n = GetWindowsDirectoryA(folder, sizeof(folder));
    if (n == 0 || n >= sizeof(folder))
        folder[0] = '\0';
    CString text = FolderLine("Windows Directory = ", folder);

    n = GetSystemDirectoryA(folder, sizeof(folder));
    if (n == 0 || n >= sizeof(folder))
        folder[0] = '\0';
    text += FolderLine("\r\nSystem Directory = ", folder);

    DWORD length = GetModuleFileNameA(NULL, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        folder[0] = '\0';
    folder[MAX_PATH] = '\0';
    char* slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
    text += FolderLine("\r\nWork Directory = ", folder);
    return text;
}

bool CSystemInfo::GetBrowserVersion(CString& text)
{
    CReadKey key(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer");
    std::string version;
    if (!key.ReadText("Version", version))
        return false;
    text = version.c_str();
    return true;
}

bool CSystemInfo::GetCpuInfo(CString& text)
{
    CReadKey key(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0");
    if (!key.IsOpen())
        return false;
    DWORD mhz = 0;
    if (!key.ReadDword("~MHz", mhz))
        mhz = MeasureProcessorMhz();
    std::string identifier, vendor;
    if (key.ReadText("Identifier", identifier))
        text.Format("%s %d MHz ", identifier.c_str(), static_cast<int>(mhz));
    else
        text.Format("%d MHz ", static_cast<int>(mhz));
    if (key.ReadText("VendorIdentifier", vendor))
        text += vendor.c_str();
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    text.AppendFormat("\r\nNumber of processor = %u", static_cast<unsigned>(system.dwNumberOfProcessors));
    return true;
}

CString CSystemInfo::GetMemoryInfo()
{
    // The extended status: the plain one saturates on machines with more
    // than 4 GB.
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    CString text;
    text.Format("Total physical memory : %u Kb\r\nAvail physical memory : %u Kb\r\n"
                "Total virtual memory : %u Kb\r\nAvail virtual memory : %u Kb",
                static_cast<unsigned>(status.ullTotalPhys >> 10), static_cast<unsigned>(status.ullAvailPhys >> 10),
                static_cast<unsigned>(status.ullTotalPageFile >> 10),
                static_cast<unsigned>(status.ullAvailPageFile >> 10));
    return text;
}

CString CSystemInfo::GetScreenInfo()
{
    HDC screen = GetDC(NULL);
    const int bits = screen ? GetDeviceCaps(screen, BITSPIXEL) : 0;
    if (screen)
        ReleaseDC(NULL, screen);
    CString text;
    text.Format("%ux%u %u bits per pixel", static_cast<unsigned>(GetSystemMetrics(SM_CXSCREEN)),
                static_cast<unsigned>(GetSystemMetrics(SM_CYSCREEN)), static_cast<unsigned>(bits));
    return text;
}

bool CSystemInfo::GetBiosInfo(CString& text)
{
    CReadKey key(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System");
    if (!key.IsOpen())
        return false;
    std::string version, date;
    const bool read = key.ReadText("SystemBiosVersion", version) && key.ReadText("SystemBiosDate", date);
    if (!key.Close() || !read)
        return false;
    text.Format("%s \r\nSystem Bios date : %s", version.c_str(), date.c_str());
    return true;
}

CString CSystemInfo::FormatDrive(const char* root, UINT type, ULONGLONG totalBytes, ULONGLONG freeBytes)
{
    CString line;
    if (type == DRIVE_REMOVABLE || type == DRIVE_CDROM)
        line.Format(" %s ", root);
    else
        line.Format(" %s total %uMb free %uMb ", root, static_cast<unsigned>(totalBytes / kMegabyte),
                    static_cast<unsigned>(freeBytes / kMegabyte));
    switch (type)
    {
    case DRIVE_REMOVABLE:
        return line + " REMOVABLE\r\n";
    case DRIVE_FIXED:
        return line + " FIXED\r\n";
    case DRIVE_REMOTE:
        return line + " NETWORK\r\n";
    case DRIVE_CDROM:
        return line + " CDROM\r\n";
    case DRIVE_RAMDISK:
        return line + " RAMDISK\r\n";
    default:
        return line + " UNKNOWN TYPE\r\n";
    }
}

CString CSystemInfo::GetDrivesInfo()
{
    CString text = "Local drives info :\r\n";
    char roots[1024];
    DWORD n = GetLogicalDriveStringsA(sizeof(roots) - 1, roots);
    if (n == 0 || n >= sizeof(roots) - 1)
        return text;
    roots[n] = '\0';
    for (const char* root = roots; *root; root += strlen(root) + 1)
    {
        const UINT type = GetDriveTypeA(root);
        ULARGE_INTEGER available = {}, total = {}, free = {};
        if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM)
        {
            if (!GetDiskFreeSpaceExA(root, &available, &total, &free))
            {
                DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
                if (GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
                {
                    const ULONGLONG cluster = static_cast<ULONGLONG>(sectorsPerCluster) * bytesPerSector;
                    total.QuadPart = totalClusters * cluster;
                    available.QuadPart = freeClusters * cluster;
                }
            }
        }
        text += FormatDrive(root, type, total.QuadPart, available.QuadPart);
    }
    return text;
}
