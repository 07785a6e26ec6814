#pragma once
// Support-report records "process": the program file of every running
// process, through psapi.dll.

#include "reg/detector.h"

#include <windows.h>

class CProcessDetector : public CDetector
{
public:
    void Detect() override;

    // The id of the system's own process on a Windows of that version: 2 on
    // NT 4, 8 on Windows 2000, 4 from XP on.
    static DWORD SystemProcessId(DWORD majorVersion, DWORD minorVersion);
    // Drops the "\??\" form of a native path.
    static std::string Win32PathOf(const std::string& moduleName);
};
