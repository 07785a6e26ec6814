#include "engine/internalremove.h"

#include <new>
#include <shlwapi.h>
#include <string.h>

#include "engine/backupsection.h"
#include "engine/enginelogtext.h"
#include "engine/internalremovelistener.h"
#include "platform/atl/atlbase.h"

#define RLOG(...) FormatSourceError(CEngineLogText, "engine/internalremove", __LINE__, __VA_ARGS__)

namespace {

const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

// A hosts file is small; anything beyond this is not one to rewrite.
const DWORD kMaxHostsSize = 64 * 1024 * 1024;

// The blank-separated word at text[*at] (the first one after blanks), as a
// pointer and length; *at moves behind it.
const char* NextWord(const char* text, size_t end, size_t* at, size_t* length)
{
    size_t i = *at;
    while (i < end && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    const size_t start = i;
    while (i < end && !(text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    *at = i;
    *length = i - start;
    return text + start;
}

bool WordEquals(const char* word, size_t length, const char* text)
{
    return text != NULL && strlen(text) == length && length > 0 && _strnicmp(word, text, length) == 0;
}

} // namespace

CInternalRemove::CInternalRemove(IInternalRemoveListener* listener)
    : m_pMoveFileEx(NULL), m_pListener(listener), m_bReboot(0)
{
    HMODULE kernel = LoadLibraryA("kernel32.dll");
    if (kernel)
        m_pMoveFileEx = reinterpret_cast<MoveFileExFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")));
}

CInternalRemove::~CInternalRemove() {}

bool CInternalRemove::IsRetryableError(DWORD error)
{
    switch (error)
    {
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return true;
    default:
        return false;
    }
}

CString CInternalRemove::GetShortPath(const char* path)
{
    std::vector<char> buffer;
    DWORD size = MAX_PATH;
    for (;;)
    {
        HRESULT hr = S_OK;
        try
        {
            buffer.resize(size);
        }
        catch (const std::bad_alloc&)
        {
            hr = E_OUTOFMEMORY;
        }
        const DWORD length = SUCCEEDED(hr) ? GetShortPathNameA(path, buffer.data(), size) : 0;
        if (SUCCEEDED(hr) && length == 0)
        {
            const DWORD error = GetLastError();
            hr = HRESULT_FROM_WIN32(error ? error : ERROR_INVALID_FUNCTION);
        }
        CheckHResult(hr);
        if (length < size)
            return CString(buffer.data(), (int)length);
        size = length + 1;
    }
}

CString CInternalRemove::GetHostsPath()
{
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, sizeof(folder));
    CString path = length && length < sizeof(folder) ? folder : "";
    if (path.IsEmpty() || path[path.GetLength() - 1] != '\\')
        path += '\\';
    return path + "drivers\\etc\\hosts";
}

void CInternalRemove::ReportError(DWORD area, BYTE nonFatal, const char* name, DWORD error)
{
    if (m_pListener)
        m_pListener->OnRemoveError(area, nonFatal, name, error);
}

bool CInternalRemove::Remove(DWORD area, HKEY root, const char* name, const char* valueName, DWORD typeOrProcessId,
                             const BYTE* data, DWORD length)
{
    RLOG("Remove(%d, %s, %s, %d)", (int)area, Printable(name), Printable(valueName), (int)typeOrProcessId);
    switch (area)
    {
    case 0:
    {
        const size_t nameLength = name ? strlen(name) : 0;
        if (nameLength > 3 && _stricmp(name + nameLength - 4, ".exe") == 0)
            EndProcess(typeOrProcessId);
        return RemoveDiskItem(area, name);
    }
    case 1:
        if (valueName == NULL || *valueName == 0)
            return RemoveRegistryKey(area, root, name);
        return RemoveRegistryValue(area, root, name, valueName);
    case 2:
        return RepairRegistryValue(area, root, name, valueName, typeOrProcessId, data, length);
    case 3:
    case 4:
    case 6:
        return RemoveDiskItem(area, name);
    case 5:
        return RemoveHostsLine(area, name, valueName);
    default:
        return true;
    }
}

void CInternalRemove::EndProcess(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process == NULL)
        process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (process == NULL)
    {
        ReportError(0, 1, NULL, GetLastError());
        return;
    }
    if (!TerminateProcess(process, 0xFFFFFFFF))
        ReportError(0, 1, NULL, GetLastError());
    else
        // Ending is asynchronous; its file stays locked until it has ended.
        WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

// Collects path and, for a folder, everything beneath it in the order found,
// except what the backup passes over. A folder that keeps something so is
// marked: it cannot go, now or at the next start. A link given as the item
// itself is collected, never walked through. True when something beneath
// path was kept.
bool CInternalRemove::CollectPaths(std::string& path, std::vector<DiskPath>& paths)
{
    const size_t own = paths.size();
    paths.push_back(DiskPath(path));
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    const size_t length = path.size();
    if (path[length - 1] != '\\')
        path += '\\';
    const size_t base = path.size();
    bool keeps = false;
    WIN32_FIND_DATAA* found = new (std::nothrow) WIN32_FIND_DATAA;
    HANDLE search = found ? FindFirstFileA((path + "*.*").c_str(), found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            // What the backup passes over is not deleted either ("." and
            // ".." are passed over with the other dot-folders).
            if (CBackupSection::PassesOver(*found))
            {
                if (strcmp(found->cFileName, ".") && strcmp(found->cFileName, ".."))
                    keeps = true;
                continue;
            }
            path.resize(base);
            path += found->cFileName;
            // A path that would not fit stays; its folder then cannot go
            // either, and that is reported.
            if (path.size() >= MaxPathLength)
                continue;
            if (found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                if (CollectPaths(path, paths))
                    keeps = true;
            }
            else
                paths.push_back(DiskPath(path));
        } while (FindNextFileA(search, found));
        FindClose(search);
    }
    delete found;
    path.resize(length);
    paths[own].keeps = keeps;
    return keeps;
}

bool CInternalRemove::DeleteAtNextStart(DWORD area, const char* name, const char* path)
{
    if ((GetVersion() & 0x80000000) == 0)
    {
        if (m_pMoveFileEx && m_pMoveFileEx(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
            return true;
        const DWORD error = m_pMoveFileEx ? GetLastError() : ERROR_CALL_NOT_IMPLEMENTED;
        RLOG("MoveFileEx failed, code is 0x%x", (unsigned)error);
        ReportError(area, 0, name, error);
        return false;
    }
    const CString shortPath = GetShortPath(path);
    if (!WritePrivateProfileStringA("rename", "NUL", shortPath, "WININIT.INI"))
    {
        ReportError(area, 0, name, GetLastError());
        return false;
    }
    return true;
}

bool CInternalRemove::RemoveDiskItem(DWORD area, const char* name)
{
    if (name == NULL || *name == 0 || strlen(name) >= MaxPathLength ||
        GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES)
        return false;
    std::vector<DiskPath> paths;
    std::string path(name);
    CollectPaths(path, paths);

    bool result = true;
    bool scheduled = false;
    // Last found first: the contents of a folder go before the folder.
    for (size_t i = paths.size(); i-- > 0;)
    {
        const char* current = paths[i].path.c_str();
        RLOG("Remove disk item: %s", current);
        const DWORD attributes = GetFileAttributesA(current);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        DWORD error = 0;
        if (folder)
        {
            if (RemoveDirectoryA(current))
                continue;
            error = GetLastError();
            RLOG("Cannot remove directory, code is 0x%x", (unsigned)error);
        }
        else
        {
            if (DeleteFileA(current))
                continue;
            error = GetLastError();
            RLOG("Cannot delete file, code is 0x%x", (unsigned)error);
        }
        // A folder that still holds something scheduled for the next start
        // can only go after it, at the next start too; one that keeps what
        // the backup passed over cannot go at all.
        const bool retry = IsRetryableError(error) ||
                           (folder && scheduled && !paths[i].keeps && error == ERROR_DIR_NOT_EMPTY);
        if (!retry)
        {
            ReportError(area, 0, name, error);
            continue;
        }
        ReportError(area, 1, name, error);
        RLOG("Using DELAY_UNTIL_REBOOT for %s", current);
        if (!DeleteAtNextStart(area, name, current))
            result = false;
        m_bReboot = 1;
        scheduled = true;
    }
    return result;
}

bool CInternalRemove::RemoveRegistryKey(DWORD area, HKEY root, const char* name)
{
    // An empty key path would be the whole root.
    if (name == NULL || *name == 0)
    {
        ReportError(area, 0, name, ERROR_INVALID_PARAMETER);
        return false;
    }
    RLOG("SHDeleteKey, key Name: %s", name);
    const DWORD rc = SHDeleteKeyA(root, name);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        ReportError(area, 0, name, rc);
    return true;
}

bool CInternalRemove::RemoveRegistryValue(DWORD area, HKEY root, const char* name, const char* valueName)
{
    RLOG("RegOpenKeyEx, key Name: %s", Printable(name));
    HKEY key;
    if (RegOpenKeyExA(root, name ? name : "", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return true;
    RLOG("RegDeleteValue, valueName: %s", valueName);
    const LONG rc = RegDeleteValueA(key, valueName);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND)
        return true;
    ReportError(area, 0, name, (DWORD)rc);
    return false;
}

bool CInternalRemove::RepairRegistryValue(DWORD area, HKEY root, const char* name, const char* valueName, DWORD type,
                                          const BYTE* data, DWORD length)
{
    HKEY key;
    if (RegCreateKeyExA(root, name ? name : "", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return true;
    const LONG rc = RegSetValueExA(key, valueName, 0, type, data, data ? length : 0);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS)
        return true;
    ReportError(area, 0, name, (DWORD)rc);
    return false;
}

bool CInternalRemove::IsHostsLine(const char* line, size_t length, const char* address, const char* host)
{
    if (length == 0 || line[0] == '#')
        return false;
    size_t at = 0, firstLength, secondLength;
    const char* first = NextWord(line, length, &at, &firstLength);
    const char* second = NextWord(line, length, &at, &secondLength);
    return WordEquals(first, firstLength, address) && WordEquals(second, secondLength, host);
}

// Lines are kept whole, whatever their length; the file is only rewritten
// when a line goes, and then through a complete new file beside it.
bool CInternalRemove::RemoveHostsLine(DWORD area, const char* name, const char* address)
{
    const CString hosts = GetHostsPath();
    HANDLE file = CreateFileA(hosts, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
    {
        ReportError(area, 1, name, GetLastError());
        return true;
    }
    LARGE_INTEGER size;
    char* text = NULL;
    DWORD read = 0;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxHostsSize;
    if (ok)
    {
        text = new (std::nothrow) char[(size_t)size.QuadPart + 1];
        ok = text != NULL && ReadFile(file, text, (DWORD)size.QuadPart, &read, NULL) && read == size.QuadPart;
    }
    const DWORD readError = ok ? 0 : (text ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY);
    CloseHandle(file);
    if (!ok)
    {
        delete[] text;
        ReportError(area, 1, name, readError ? readError : ERROR_READ_FAULT);
        return true;
    }

    std::string kept;
    kept.reserve(read);
    bool changed = false;
    for (size_t start = 0; start < read;)
    {
        const char* lineEnd = (const char*)memchr(text + start, '\n', read - start);
        const size_t end = lineEnd ? (size_t)(lineEnd - text) + 1 : read;
        if (IsHostsLine(text + start, end - start, address, name))
            changed = true;
        else
            kept.append(text + start, end - start);
        start = end;
    }
    delete[] text;
    if (!changed)
        return true;

    CString folder = hosts.Left(hosts.ReverseFind('\\') + 1);
    char temp[MAX_PATH];
    DWORD error = 0;
    if (!GetTempFileNameA(folder, "hst", 0, temp))
        error = GetLastError();
    else
    {
        HANDLE out = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD written = 0;
        bool complete = out != INVALID_HANDLE_VALUE &&
                        (kept.empty() || WriteFile(out, kept.data(), (DWORD)kept.size(), &written, NULL)) &&
                        written == kept.size() && FlushFileBuffers(out);
        if (!complete)
            error = GetLastError();
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        if (complete && !ReplaceFileA(hosts, temp, NULL, REPLACEFILE_IGNORE_MERGE_ERRORS, NULL, NULL) &&
            !MoveFileExA(temp, hosts, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        {
            error = GetLastError();
            complete = false;
        }
        if (!complete)
        {
            DeleteFileA(temp);
            if (error == 0)
                error = ERROR_WRITE_FAULT;
        }
    }
    if (error)
    {
        RLOG("Cannot rewrite the hosts file, code is 0x%x", (unsigned)error);
        ReportError(area, 0, name, error);
        return false;
    }
    return true;
}
