#pragma once
// Removes or repairs one detected item on the machine: ends processes,
// deletes files and folders (at the next start of the system when they are
// in use), deletes registry keys and values, writes guarded values back and
// takes lines out of the hosts file. Failures go to the listener.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/mfc/cstring.h"

class IInternalRemoveListener;

class CInternalRemove
{
public:
    enum { MaxPathLength = 1040 };

    explicit CInternalRemove(IInternalRemoveListener* listener);
    virtual ~CInternalRemove();

    bool Remove(DWORD area, HKEY root, const char* name, const char* valueName, DWORD typeOrProcessId,
                const BYTE* data, DWORD length);
    BYTE RebootRequired() const { return m_bReboot; }

    static bool IsRetryableError(DWORD error);
    // The short form of a path. When the system cannot give it, its error is
    // raised as a COM error, which ends the caller's removal pass.
    static CString GetShortPath(const char* path);
    // "<system folder>\drivers\etc\hosts".
    static CString GetHostsPath();
    // Whether the line (length bytes, its line end included or not) maps the
    // host to the address: not a comment, and its first two blank-separated
    // words are the address and the host, compared without case.
    static bool IsHostsLine(const char* line, size_t length, const char* address, const char* host);

private:
    CInternalRemove(const CInternalRemove&);
    CInternalRemove& operator=(const CInternalRemove&);

    typedef BOOL(WINAPI* MoveFileExFn)(LPCSTR, LPCSTR, DWORD);

    void ReportError(DWORD area, BYTE nonFatal, const char* name, DWORD error);
    void EndProcess(DWORD processId);
    bool RemoveDiskItem(DWORD area, const char* name);
    bool DeleteAtNextStart(DWORD area, const char* name, const char* path);
    bool RemoveRegistryKey(DWORD area, HKEY root, const char* name);
    bool RemoveRegistryValue(DWORD area, HKEY root, const char* name, const char* valueName);
    bool RepairRegistryValue(DWORD area, HKEY root, const char* name, const char* valueName, DWORD type,
                             const BYTE* data, DWORD length);
    bool RemoveHostsLine(DWORD area, const char* name, const char* address);

    struct DiskPath
    {
        explicit DiskPath(const std::string& p) : path(p), keeps(false) {}
        std::string path;
        bool keeps; // a folder holding what the backup passed over
    };
    static bool CollectPaths(std::string& path, std::vector<DiskPath>& paths);

    MoveFileExFn m_pMoveFileEx;
    IInternalRemoveListener* m_pListener;
    BYTE m_bReboot;
};
