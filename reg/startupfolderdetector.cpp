#include "reg/startupfolderdetector.h"

#include "foundation/debuglog.h"
#include "platform/atl/atlbase.h"
#include "reg/scanhelper.h"
#include "reg/xmlrecord.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

namespace {

// COM on this thread for one shortcut; left alone when the thread had it in
// another mode already.
class CComScope
{
public:
    CComScope() : m_initialized(SUCCEEDED(CoInitialize(NULL))) {}
    ~CComScope()
    {
        if (m_initialized)
            CoUninitialize();
    }

private:
    bool m_initialized;
};

// The window program has no console: the detector's notes go to the debug log.
void Note(const char* message, const std::string& about)
{
    DebugLog("Message: %s (%s)\nFunction: %s", message, about.c_str(), "CStartupFolderDetector::Detect");
}

std::string LongPathOf(const std::string& path)
{
    char longPath[MAX_PATH];
    DWORD n = GetLongPathNameA(path.c_str(), longPath, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(longPath, n) : path;
}

} // namespace

CStartupFolderDetector::CStartupFolderDetector() : m_useMachineFolder(true)
{
}

CStartupFolderDetector::CStartupFolderDetector(const std::string& folder)
    : m_useMachineFolder(false), m_folder(folder)
{
}

bool CStartupFolderDetector::ReadShortcutTarget(const std::string& linkPath, std::string& target)
{
    target.clear();
    CComScope com;
    CComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr))
    {
        char message[64];
        wsprintfA(message, "CoCreateInstance Error - hres = %08x", static_cast<unsigned>(hr));
        Note(message, linkPath);
        return false;
    }
    CComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
    {
        Note("QueryInterface Error", linkPath);
        return false;
    }
    WCHAR widePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) ||
        FAILED(file->Load(widePath, STGM_READ)))
    {
        Note("IPersistFile Load Error", linkPath);
        return false;
    }
    // Without a window, and without rewriting the shortcut: detectors only read.
    if (FAILED(link->Resolve(NULL, SLR_ANY_MATCH | SLR_NO_UI | SLR_NOUPDATE)))
        return false;
    // A shortcut to what is no file has no path: nothing to report (never
    // the shortcut's own file in its place).
    char shortPath[MAX_PATH] = "";
    WIN32_FIND_DATAA data;
    if (link->GetPath(shortPath, MAX_PATH, &data, SLGP_SHORTPATH) != S_OK)
    {
        Note("GetPath failed!", linkPath);
        return false;
    }
    shortPath[MAX_PATH - 1] = '\0';
    target = CScanHelper::ExpandEnvPath(LongPathOf(shortPath));
    return true;
}

void CStartupFolderDetector::Detect()
{
    std::string folder = m_folder;
    if (m_useMachineFolder)
        folder = CScanHelper::RegReadString(HKEY_LOCAL_MACHINE,
                                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                            "Common Startup");
    if (folder.empty())
        return;
    folder += "\\";

    std::vector<std::string> links;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
    {
        Note("No .lnk files found.", folder);
        return;
    }
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            links.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    if (!FindClose(search))
        Note("Couldn't close search handle.", folder);

    for (const std::string& name : links)
    {
        std::string target;
        if (!ReadShortcutTarget(folder + name, target))
            continue;
        CXmlRecord record("o4startup");
        record.AddField("path", "Global Startup");
        record.AddField("title", name);
        CScanHelper::AddFileFields(record, "command", target);
        Add(record);
    }
}
