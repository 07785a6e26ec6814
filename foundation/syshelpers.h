#pragma once
// Stateless helpers for folders, temporary files, drive lists, the auto-start
// entry, restart, registry access, the Windows version text and waits that
// keep a window's messages flowing. None of them throws or logs.

#include "platform/mfc/cstring.h"
#include "platform/mfc/cstringarray.h"

#include <windows.h>

// Folders, files and lists

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT style);
// The program file's folder with a trailing backslash, cut to the buffer
// (size counts the NUL).
void CopyModuleFolder(char* buffer, size_t bufferSize);
CString GetModuleFolder();
// ShellExecuteA "open" (no parameters, SW_SHOWNORMAL), through a function
// that tests replace, so that nothing is started in a test: returns the
// previous one; NULL restores the shell's.
HINSTANCE ShellOpen(HWND owner, const char* path);
typedef HINSTANCE (*ShellOpenFn)(HWND owner, const char* path);
ShellOpenFn SetShellOpenHook(ShellOpenFn fn);
// Clears read-only, hidden and system, then deletes; failures are silent.
void ForceDeleteFile(const char* path);
void SplitCommaList(const char* text, CStringArray& list);
CString JoinCommaList(const CStringArray& list);
CString GetTempFolder();
// Creates an empty, uniquely named file in GetTempFolder() and returns its
// name without the folder; the caller deletes it. Empty on failure.
CString CreateTempFileName(const char* prefix);
void GetLocalAndNetworkDrives(CStringArray& list);
// The common application-data folder + "\\Telmin\\Cleanwarden\\", or the folder
// (with a closing backslash) that the environment variable
// CLEANWARDEN_DATA_FOLDER names: tests give the program a data folder of
// their own with it.
CString GetProductDataFolder();
extern const char kDataFolderVariable[];
// The value of an environment variable of any length, or fallback where it
// is not set or is empty: tests point the program at services of their own.
CString GetEnvironmentOr(const char* variable, const char* fallback);
// "AllDrives" (any case) means every fixed and network drive.
void GetDriveList(const char* pathList, CStringArray& list);
// The empty text means every fixed and network drive.
void GetDriveListOrAll(const char* pathList, CStringArray& list);

// System

// Writes "\"<program path>\" <args>"; a path and arguments longer than 259
// characters together are refused and nothing is written.
void SetAutoRun(const char* valueName, const char* args);
bool RemoveAutoRun(const char* valueName);
bool IsAutoRun(const char* valueName);
DWORD GetPlatformId();
void EnablePrivilege(const char* privilegeName, bool enable);
bool RebootWindows();
CString GetIEVersion();
CString GetOSName();
// The version text for a given version record; extended tells whether the
// record's OSVERSIONINFOEX fields are valid. GetOSName passes the system's.
CString FormatOSName(const OSVERSIONINFOEXA& info, bool extended);

// RebootWindows calls ExitWindowsEx through this pointer so tests can stand
// in for it. Returns the previous function; NULL restores ExitWindowsEx.
typedef BOOL (WINAPI *ExitWindowsFn)(UINT flags, DWORD reason);
ExitWindowsFn SetExitWindowsHook(ExitWindowsFn fn);

// Registry. Full paths are "<root name>\<sub-key>".

// Returns the root key and the sub-key, or NULL for an unknown root name.
// Texts over 1,023 characters, root names over 127 and sub-keys over 511
// are refused: NULL and an empty sub-key.
HKEY ParseRegistryPath(const char* fullPath, CString& subKey);
bool RegValueExists(HKEY root, const char* subKey, const char* valueName);
bool RegWriteString(const char* fullPath, const char* valueName, const char* text);
bool RegDeleteValueByPath(const char* fullPath, const char* valueName);
// Empty for a missing key or value, a value that is not REG_SZ, and a value
// that with its NUL does not fit 256 bytes.
CString RegReadString(const char* fullPath, const char* valueName);

// Waiting. Messages of the calling thread are dispatched while waiting.

DWORD WaitForMultipleObjectsWithMessages(DWORD count, const HANDLE* handles, BOOL waitAll,
                                         DWORD timeoutMs);
DWORD WaitForSingleObjectWithMessages(HANDLE handle, DWORD timeoutMs);
