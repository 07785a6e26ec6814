#pragma once
// Short plain-text descriptions of the machine, one section per key: "OS",
// "Directories", "Browser", "CPU", "Memory", "Resolution", "BIOS", "Discs".
// The help page lists them and the system report writes them. Texts use
// "\r\n" line breaks; nothing is cached and nothing throws.

#include "platform/mfc/cstring.h"

#include <windows.h>

class CSystemInfo
{
public:
    // The keys in the order both users ask for them.
    static const char* const kKeys[8];

    // The text of one section; a key outside the list gives the empty text.
    // Shows the wait cursor while it runs.
    static CString Collect(const char* key);

    // Section producers; those with a flag fail as a whole.
    static bool GetOsVersion(CString& text);
    static CString GetDirectoriesInfo();
    static bool GetBrowserVersion(CString& text);
    static bool GetCpuInfo(CString& text);
    static CString GetMemoryInfo();
    static CString GetScreenInfo();
    static bool GetBiosInfo(CString& text);
    static CString GetDrivesInfo();

    // The version text of a version record; extended tells whether its
    // OSVERSIONINFOEX fields are valid. False for an unknown Windows 9x.
    static bool FormatOsVersion(const OSVERSIONINFOEXA& info, bool extended, CString& text);
    // Whether a new file can be made, closed and deleted in the folder.
    static bool CanWriteTo(const char* folder);
    // One line of the drive list.
    static CString FormatDrive(const char* root, UINT type, ULONGLONG totalBytes, ULONGLONG freeBytes);
};
